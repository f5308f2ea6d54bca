// FloatDialog: a real number, limited to the two-byte float's range for EIS 5 items.
#include "ui/float_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <cfloat>
#include <charconv>
#include <string>

#include "platform/change_type.h"
#include "platform/hresult.h"
#include "ui/entry_numbers.h"

namespace {

constexpr unsigned kTemplate = 168;
constexpr unsigned kHeading = 1009;
constexpr unsigned kValue = 1010;

}  // namespace

FloatDialog::FloatDialog(Prompt& prompt, const QString& heading, bool twoByte, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent), m_twoByte(twoByte) {
  if (QLabel* label = Label(kHeading)) label->setText(heading);
  if (QLineEdit* edit = Edit(kValue))
    connect(edit, &QLineEdit::textChanged, this, [this] { Limit(); });
}

void FloatDialog::Limit() {
  if (!m_twoByte) return;
  const double value = LeadingReal(FieldText(kValue));
  // Below the smallest value the field shows the negative of the largest, which every
  // reading of the two-byte float can carry.
  if (value > kTwoByteMax) SetFieldText(kValue, "670760.96");
  if (value < kTwoByteMin) SetFieldText(kValue, "-670760.96");
}

void FloatDialog::Fill(const Variant& value) {
  Variant real;
  const float current =
      value.IsEmpty() || Failed(ChangeType(value, VT_R4, real)) ? 0.0f : real.fltVal();
  // Six significant digits, as the framework shows a float; the C locale's decimal point.
  char text[48];
  const auto end =
      std::to_chars(text, text + sizeof text, current, std::chars_format::general, FLT_DIG).ptr;
  SetFieldText(kValue, std::string(text, end));
}

bool FloatDialog::Exchange() {
  const std::optional<float> value = ExchangeReal(kValue);
  if (!value) return false;
  m_value = *value;
  return true;
}

Variant FloatDialog::Result() const {
  return Variant::R4(m_value);
}
