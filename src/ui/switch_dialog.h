// SwitchDialog: writes a one-bit value (switching, dimming and priority position, drive control).
#pragma once

#include "ui/value_dialog.h"

// Dialog 156: heading 1009, radio 1005 for 0 and radio 1006 for 1.
class SwitchDialog : public ValueDialog {
  Q_OBJECT

 public:
  // The heading and the two radio texts name what the bit means for the item's type.
  SwitchDialog(Prompt& prompt, const QString& heading, const QString& offText,
               const QString& onText, QWidget* parent = nullptr);

  // No value and any non-zero value choose 1.
  void Fill(const Variant& value) override;
  // VARIANT_TRUE for 1, VARIANT_FALSE for 0.
  Variant Result() const override;
};
