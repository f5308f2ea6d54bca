// OptionsDialog and LanguageDialog: the two settings dialogs as the settings commands see them.
#pragma once

#include <cstdint>

// The values the options dialog (resource 143) shows and returns.
struct OptionsValues {
  bool startmode = false;  // check box: set means a non-zero "Startmode"
  bool readLinks = true;
  bool initRead = true;
  bool useGmt = true;          // the first radio button
  std::int32_t initSpeed = 1;  // drop-down index 0 slow, 1 medium, 2 fast
  bool operator==(const OptionsValues&) const = default;
};

// Implemented by the main window. Each shows its dialog filled with `values` / `language` and
// returns true on OK with the user's choice in the same argument.
class OptionsDialog {
 public:
  virtual bool Run(OptionsValues& values) = 0;

 protected:
  ~OptionsDialog() = default;
};

class LanguageDialog {
 public:
  // `language`: 0 English (first radio button), 1 German.
  virtual bool Run(std::int32_t& language) = 0;

 protected:
  ~LanguageDialog() = default;
};
