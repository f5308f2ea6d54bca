// ScalingDialog: writes a scaled value in percent (0 to 100) or in degrees (0 to 360).
#pragma once

#include <cstdint>

#include "ui/value_dialog.h"

// Dialog 164: heading 1009, edit 1010 the value, static 1011 the range text.
class ScalingDialog : public ValueDialog {
  Q_OBJECT

 public:
  enum class Unit { Percent, Degrees };

  // `byteResult`: the value is written as one byte (percent scaling), else as a 16-bit integer.
  ScalingDialog(Prompt& prompt, const QString& heading, Unit unit, bool byteResult,
                QWidget* parent = nullptr);

  // The current number; no value: 0.
  void Fill(const Variant& value) override;
  Variant Result() const override;

 protected:
  bool Exchange() override;

 private:
  bool m_byteResult;
  std::uint32_t m_value = 0;
};
