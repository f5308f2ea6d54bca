// NameDialog: the dialog in which the user names a new group or renames a group or the project.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class NameDialog {
 public:
  // Shows the prompt (string `prompt`) with `name` in the edit field. OK with an empty name
  // shows string 32818 and keeps the dialog open. Returns the name, none for Cancel.
  virtual std::optional<std::string> AskName(unsigned prompt, std::string_view name) = 0;

 protected:
  ~NameDialog() = default;
};
