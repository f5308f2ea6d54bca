// StringDialog: writes a character string of at most 14 characters (EIS 15).
#pragma once

#include "ui/value_dialog.h"

// Dialog 172: edit 1010 the text.
class StringDialog : public ValueDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxCharacters = 14;

  explicit StringDialog(Prompt& prompt, QWidget* parent = nullptr);

  // The current text; no value: empty.
  void Fill(const Variant& value) override;
  // The text.
  Variant Result() const override;
};
