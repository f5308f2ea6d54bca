// DimmingControlDialog: writes a 4-bit dimming control (direction and step code).
#pragma once

#include <QString>
#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 158: radios 1005 (decrease) and 1006 (increase), edit 1007 step code 0 to 7, static
// 1008 the step text.
class DimmingControlDialog : public ValueDialog {
  Q_OBJECT

 public:
  explicit DimmingControlDialog(Prompt& prompt, QWidget* parent = nullptr);

  // Direction from bit 3, step code from bits 0 to 2; no value: decrease, step 0.
  void Fill(const Variant& value) override;
  // One byte: the step code, plus 8 for increase.
  Variant Result() const override;

  // "Step-Break" for step code 0, else the number of intervals the step divides the range into.
  static QString StepText(std::uint32_t stepCode);

 protected:
  bool Exchange() override;

 private:
  void ShowStepText();

  std::uint8_t m_step = 0;
};
