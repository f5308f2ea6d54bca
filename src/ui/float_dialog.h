// FloatDialog: writes a floating-point value (EIS 5 two-byte float, EIS 9 four-byte float).
#pragma once

#include "ui/value_dialog.h"

// Dialog 168: heading 1009, edit 1010 the value.
class FloatDialog : public ValueDialog {
  Q_OBJECT

 public:
  // The range of the KNX two-byte float: typed values beyond it are corrected at once.
  static constexpr double kTwoByteMax = 670760.96;
  static constexpr double kTwoByteMin = -671088.64;

  // `twoByte`: the item carries a two-byte float, whose range the field is limited to.
  FloatDialog(Prompt& prompt, const QString& heading, bool twoByte, QWidget* parent = nullptr);

  // The current float; no value: 0.
  void Fill(const Variant& value) override;
  // The 32-bit float.
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  void Limit();

  bool m_twoByte;
  float m_value = 0;
};
