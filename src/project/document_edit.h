// DocumentEdit: one change of the project made by hand, which can be taken back and made again.
#pragma once

#include <memory>

// The commands that change the project by hand return one of these (none when nothing
// changed). The window keeps them on its undo stack; the document only makes them. An edit is
// undone and redone in stack order: each finds the project as it left it. Clearing the
// project (new, open, import) makes every earlier edit void: its Undo and Redo then do
// nothing and return false.
class DocumentEdit {
 public:
  virtual ~DocumentEdit() = default;
  // Takes the change back. False, with nothing changed, when it is refused (an item that
  // would go is held by an OPC client: the message was shown) or void.
  virtual bool Undo() = 0;
  // Makes the change again after Undo; false as for Undo.
  virtual bool Redo() = 0;
};

using DocumentEditPtr = std::unique_ptr<DocumentEdit>;
