// PriorityControlDialog: writes a 2-bit priority control.
#pragma once

#include "ui/value_dialog.h"

// Dialog 157: radios 1005 (0, no control), 1006 (2, control off), 1007 (3, control on).
class PriorityControlDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit PriorityControlDialog(Prompt& prompt, QWidget* parent = nullptr);

  // 2 and 3 choose their radios; any other value, and no value, chooses 0.
  void Fill(const Variant& value) override;
  // One byte: 0, 2 or 3.
  Variant Result() const override;
};
