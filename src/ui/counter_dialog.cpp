// CounterDialog: a whole number limited to the signed and unsigned range of the counter.
#include "ui/counter_dialog.h"

#include <QLabel>
#include <QLineEdit>

#include "platform/decimal_value.h"

namespace {

constexpr unsigned kTemplate = 169;
constexpr unsigned kHeading = 1009;
constexpr unsigned kValue = 1010;

// The smallest signed and the largest unsigned value of a counter of `bits` bits.
std::int64_t Lowest(int bits) {
  return -(std::int64_t{1} << (bits - 1));
}
std::int64_t Highest(int bits) {
  return (std::int64_t{1} << bits) - 1;
}

}  // namespace

CounterDialog::CounterDialog(Prompt& prompt, const QString& heading, int bits, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent), m_bits(bits) {
  if (QLabel* label = Label(kHeading)) label->setText(heading);
  if (QLineEdit* edit = Edit(kValue))
    connect(edit, &QLineEdit::textChanged, this, [this] { Limit(); });
}

void CounterDialog::Limit() {
  // The 32-bit counter takes every number the field can hold while typing.
  if (m_bits >= 32) return;
  const std::int64_t value = DecimalValue(FieldText(kValue));
  if (value > Highest(m_bits)) SetFieldNumber(kValue, Highest(m_bits));
  if (value < Lowest(m_bits)) SetFieldNumber(kValue, Lowest(m_bits));
}

void CounterDialog::Fill(const Variant& value) {
  SetFieldNumber(kValue, value.IsEmpty() ? 0 : NumberOf(value));
}

bool CounterDialog::Exchange() {
  // Beyond both readings of the counter's bits no number is what the user meant.
  const std::optional<std::int64_t> value = ExchangeWhole(kValue, Lowest(m_bits), Highest(m_bits));
  if (!value) return false;
  m_value = *value;
  return true;
}

Variant CounterDialog::Result() const {
  switch (m_bits) {
    case 8:
      return Variant::UI1(static_cast<std::uint8_t>(m_value));
    case 16:
      return Variant::I2(static_cast<std::int16_t>(m_value));
    default:
      return Variant::I4(static_cast<std::int32_t>(static_cast<std::uint32_t>(m_value)));
  }
}
