// PriorityControlDialog: three radios for the values 0, 2 and 3.
#include "ui/priority_control_dialog.h"

#include <QRadioButton>

namespace {

constexpr unsigned kTemplate = 157;
constexpr unsigned kNoControl = 1005;
constexpr unsigned kControlOff = 1006;
constexpr unsigned kControlOn = 1007;

}  // namespace

PriorityControlDialog::PriorityControlDialog(Prompt& prompt, QWidget* parent)
    : ValueDialog(kTemplate, prompt, parent) {}

void PriorityControlDialog::Fill(const Variant& value) {
  const std::int32_t current = value.IsEmpty() ? 0 : NumberOf(value);
  const unsigned radio = current == 2 ? kControlOff : current == 3 ? kControlOn : kNoControl;
  if (QRadioButton* button = Radio(radio)) button->setChecked(true);
}

Variant PriorityControlDialog::Result() const {
  const QRadioButton* off = Radio(kControlOff);
  const QRadioButton* on = Radio(kControlOn);
  if (on && on->isChecked()) return Variant::UI1(3);
  if (off && off->isChecked()) return Variant::UI1(2);
  return Variant::UI1(0);
}
