// EditUndoStack: the window's undo stack of the project edits made by hand.
#pragma once

#include <QUndoStack>

#include "project/document_edit.h"

// Edits arrive made; undo and redo run them in stack order. An undo or redo that the project
// refuses (an OPC client holds an item it would take away: the edit showed the message) leaves
// the stack where it was.
class EditUndoStack {
 public:
  // Keeps an edit that has just been made; the edits undone before it are dropped.
  void Push(DocumentEditPtr edit);
  // False when there is nothing to undo or redo, or the project refused.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return m_stack.canUndo(); }
  bool CanRedo() const { return m_stack.canRedo(); }
  // Forgets every edit (the project was cleared, its records are gone).
  void Clear() { m_stack.clear(); }

 private:
  QUndoStack m_stack;
};
