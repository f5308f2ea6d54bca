// CommandRouter: where the window's menus and toolbar send their command identifiers.
#pragma once

class CommandRouter {
 public:
  // Runs the command (the frame's own, else the document's).
  virtual void RunCommand(unsigned id) = 0;
  // Whether the command can run now; entries of commands without a handler are disabled.
  virtual bool CommandEnabled(unsigned id) const = 0;

 protected:
  ~CommandRouter() = default;
};
