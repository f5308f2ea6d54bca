// FileDialogs: the open and save file dialogs the document's commands show.
#pragma once

#include <optional>
#include <string>

struct FileDialogRequest {
  std::string title;   // Windows-1252; empty for the dialog's default title
  std::string filter;  // "Name (*.ext)|*.ext|All Files (*.*)|*.*|"
  std::string defaultExtension;
  std::string defaultFileName;
  bool mustExist = true;
};

// The GUI shows a dialog; headless use has none (the document's file commands do nothing).
class FileDialogs {
 public:
  // The chosen path (Windows-1252), or none when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;

 protected:
  ~FileDialogs() = default;
};
