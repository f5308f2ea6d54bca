// SwitchDialog: the two radios of a one-bit value.
#include "ui/switch_dialog.h"

#include <QLabel>
#include <QRadioButton>

namespace {

constexpr unsigned kTemplate = 156;
constexpr unsigned kHeading = 1009;
constexpr unsigned kOff = 1005;
constexpr unsigned kOn = 1006;

}  // namespace

SwitchDialog::SwitchDialog(Prompt& prompt, const QString& heading, const QString& offText,
                           const QString& onText, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {
  if (QLabel* label = Label(kHeading)) label->setText(heading);
  if (QRadioButton* off = Radio(kOff)) off->setText(offText);
  if (QRadioButton* on = Radio(kOn)) on->setText(onText);
}

void SwitchDialog::Fill(const Variant& value) {
  const bool zero = !value.IsEmpty() && NumberOf(value) == 0;
  if (QRadioButton* radio = Radio(zero ? kOff : kOn)) radio->setChecked(true);
}

Variant SwitchDialog::Result() const {
  const QRadioButton* on = Radio(kOn);
  return Variant::Bool(on && on->isChecked());
}
