// DimmingControlDialog: direction radios, the step code limited to 7 and its step text.
#include "ui/dimming_control_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "platform/decimal_value.h"

namespace {

constexpr unsigned kTemplate = 158;
constexpr unsigned kDecrease = 1005;
constexpr unsigned kIncrease = 1006;
constexpr unsigned kStepCode = 1007;
constexpr unsigned kStepText = 1008;
constexpr std::uint32_t kMaxStep = 7;
constexpr int kIncreaseBit = 0x08;

}  // namespace

DimmingControlDialog::DimmingControlDialog(Prompt& prompt, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {
  LimitUnsigned(kStepCode, kMaxStep);
  // Connected after the limit, so that the text follows the corrected field.
  if (QLineEdit* edit = Edit(kStepCode))
    connect(edit, &QLineEdit::textChanged, this, [this] { ShowStepText(); });
}

QString DimmingControlDialog::StepText(std::uint32_t stepCode) {
  if (stepCode == 0) return QStringLiteral("Step-Break");
  // Step code n divides the dimming range into 2^(n-1) intervals (KNX 4-bit dimming).
  return QStringLiteral("=> %1 intervals").arg(1u << (std::min(stepCode, kMaxStep) - 1));
}

void DimmingControlDialog::ShowStepText() {
  m_step = static_cast<std::uint8_t>(DecimalValue(FieldText(kStepCode)));
  if (QLabel* label = Label(kStepText)) label->setText(StepText(m_step));
}

void DimmingControlDialog::Fill(const Variant& value) {
  const std::int32_t current = value.IsEmpty() ? 0 : NumberOf(value);
  if (QRadioButton* radio = Radio((current & kIncreaseBit) ? kIncrease : kDecrease))
    radio->setChecked(true);
  SetFieldNumber(kStepCode, current & 0x07);
  ShowStepText();
}

bool DimmingControlDialog::Exchange() {
  const std::optional<std::uint32_t> step = ExchangeRange(kStepCode, 0, kMaxStep);
  if (!step) return false;
  m_step = static_cast<std::uint8_t>(*step);
  return true;
}

Variant DimmingControlDialog::Result() const {
  const QRadioButton* increase = Radio(kIncrease);
  const bool up = increase && increase->isChecked();
  return Variant::UI1(static_cast<std::uint8_t>(m_step + (up ? kIncreaseBit : 0)));
}
