// ScalingDialog: the value limited to 100 percent or 360 degrees while the user types.
#include "ui/scaling_dialog.h"

#include <QLabel>

namespace {

constexpr unsigned kTemplate = 164;
constexpr unsigned kHeading = 1009;
constexpr unsigned kValue = 1010;
constexpr unsigned kRange = 1011;

}  // namespace

ScalingDialog::ScalingDialog(Prompt& prompt, const QString& heading, Unit unit, bool byteResult,
                             QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent), m_byteResult(byteResult) {
  const bool percent = unit == Unit::Percent;
  if (QLabel* label = Label(kHeading)) label->setText(heading);
  if (QLabel* label = Label(kRange))
    label->setText(percent ? QStringLiteral("0-100% per") : QStringLiteral("0-360\u00B0"));
  LimitUnsigned(kValue, percent ? 100 : 360);
}

void ScalingDialog::Fill(const Variant& value) {
  SetFieldNumber(kValue, value.IsEmpty() ? 0 : NumberOf(value));
}

bool ScalingDialog::Exchange() {
  const std::optional<std::uint32_t> value = ExchangeUnsigned(kValue);
  if (!value) return false;
  m_value = *value;
  return true;
}

Variant ScalingDialog::Result() const {
  if (m_byteResult) return Variant::UI1(static_cast<std::uint8_t>(m_value));
  return Variant::I2(static_cast<std::int16_t>(m_value));
}
