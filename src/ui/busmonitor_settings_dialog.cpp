// BusmonitorSettingsDialog: filling the controls of dialog 177 and reading them back.
#include "ui/busmonitor_settings_dialog.h"

#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

#include "app/setting_definitions.h"
#include "platform/language_resources.h"

namespace {

constexpr unsigned kEditMaxLines = 1010;
constexpr unsigned kRadioTwoLevel = 1005;
constexpr unsigned kRadioThreeLevel = 1006;

}  // namespace

BusmonitorSettingsDialog::BusmonitorSettingsDialog(std::uint32_t maxLines, bool twoLevel,
                                                   QWidget* parent)
    : ResourceDialog(177, parent) {
  const SettingDefinition* setting = FindSetting("MaxLines");
  const int highest = setting ? setting->max : 100000;
  Build([this, highest](const DialogControl& control) -> QWidget* {
    if (control.id != kEditMaxLines) return nullptr;
    // Only whole numbers the setting allows can be typed.
    auto* edit = new QSpinBox(this);
    edit->setRange(0, highest);
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    return edit;
  });
  if (auto* edit = ControlAs<QSpinBox>(kEditMaxLines)) {
    edit->setValue(static_cast<int>(std::min<std::uint32_t>(maxLines, highest)));
  }
  if (auto* radio = ControlAs<QRadioButton>(twoLevel ? kRadioTwoLevel : kRadioThreeLevel))
    radio->setChecked(true);
}

std::uint32_t BusmonitorSettingsDialog::MaxLines() const {
  const auto* edit = ControlAs<QSpinBox>(kEditMaxLines);
  return edit ? static_cast<std::uint32_t>(edit->value()) : 0;
}

bool BusmonitorSettingsDialog::TwoLevel() const {
  const auto* radio = ControlAs<QRadioButton>(kRadioTwoLevel);
  return radio && radio->isChecked();
}
