// CharacterDialog: writes an ASCII character (EIS 13) chosen from a list.
#pragma once

#include "ui/value_dialog.h"

// Dialog 170: drop-down list 1010, whose entries (from the template) stand for codes 0 onwards.
class CharacterDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit CharacterDialog(Prompt& prompt, QWidget* parent = nullptr);

  // The entry of the current code; no value: entry 0.
  void Fill(const Variant& value) override;
  // One byte: the chosen entry's index; 0xFF when none is chosen.
  Variant Result() const override;
};
