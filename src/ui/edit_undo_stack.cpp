// EditUndoStack: project edits as QUndoCommands whose undo and redo may be refused.
#include "ui/edit_undo_stack.h"

#include <QUndoCommand>

namespace {

// QUndoStack moves its index whatever a command's undo does; so the stack asks the edit first
// and moves only when the edit agreed. The command's own undo and redo then find the edit
// already in the state they would bring it to.
class EditCommand : public QUndoCommand {
 public:
  explicit EditCommand(DocumentEditPtr edit) : m_edit(std::move(edit)) {}

  bool Undo() {
    if (!m_made) return true;
    if (!m_edit->Undo()) return false;
    m_made = false;
    return true;
  }
  bool Redo() {
    if (m_made) return true;
    if (!m_edit->Redo()) return false;
    m_made = true;
    return true;
  }

  void undo() override { Undo(); }
  void redo() override { Redo(); }

 private:
  DocumentEditPtr m_edit;
  bool m_made = true;  // an edit is pushed after it was made
};

EditCommand* CommandAt(const QUndoStack& stack, int index) {
  return static_cast<EditCommand*>(const_cast<QUndoCommand*>(stack.command(index)));
}

}  // namespace

void EditUndoStack::Push(DocumentEditPtr edit) {
  if (edit) m_stack.push(new EditCommand(std::move(edit)));
}

bool EditUndoStack::Undo() {
  if (!m_stack.canUndo() || !CommandAt(m_stack, m_stack.index() - 1)->Undo()) return false;
  m_stack.undo();
  return true;
}

bool EditUndoStack::Redo() {
  if (!m_stack.canRedo() || !CommandAt(m_stack, m_stack.index())->Redo()) return false;
  m_stack.redo();
  return true;
}
