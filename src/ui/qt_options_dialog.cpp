// QtOptionsDialog: filling dialog 143 from the running values and reading the choice back.
#include "ui/qt_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "ui/resource_dialog.h"

namespace {

constexpr unsigned kCheckStartmode = 1001;
constexpr unsigned kCheckReadLinks = 1002;
constexpr unsigned kCheckInitRead = 1003;
constexpr unsigned kRadioUtc = 1005;
constexpr unsigned kRadioLocal = 1006;
constexpr unsigned kComboInitSpeed = 1008;

class OptionsWindow : public ResourceDialog {
 public:
  explicit OptionsWindow(QWidget* parent) : ResourceDialog(143, parent) { Build(); }

  void SetCheck(unsigned id, bool checked) {
    if (auto* box = ControlAs<QCheckBox>(id)) box->setChecked(checked);
  }
  bool Checked(unsigned id, bool fallback) const {
    const auto* box = ControlAs<QCheckBox>(id);
    return box ? box->isChecked() : fallback;
  }
};

}  // namespace

bool QtOptionsDialog::Run(OptionsValues& values) {
  OptionsWindow dialog(m_parent);
  dialog.SetCheck(kCheckStartmode, values.startmode);
  dialog.SetCheck(kCheckReadLinks, values.readLinks);
  dialog.SetCheck(kCheckInitRead, values.initRead);
  if (auto* radio = dialog.ControlAs<QRadioButton>(values.useGmt ? kRadioUtc : kRadioLocal))
    radio->setChecked(true);
  auto* speed = dialog.ControlAs<QComboBox>(kComboInitSpeed);
  // A speed outside the list (set by hand) shows no entry and stays unless one is chosen.
  if (speed)
    speed->setCurrentIndex(
        values.initSpeed >= 0 && values.initSpeed < speed->count() ? values.initSpeed : -1);
  if (dialog.exec() != QDialog::Accepted) return false;
  values.startmode = dialog.Checked(kCheckStartmode, values.startmode);
  values.readLinks = dialog.Checked(kCheckReadLinks, values.readLinks);
  values.initRead = dialog.Checked(kCheckInitRead, values.initRead);
  if (const auto* utc = dialog.ControlAs<QRadioButton>(kRadioUtc)) values.useGmt = utc->isChecked();
  if (speed && speed->currentIndex() >= 0) values.initSpeed = speed->currentIndex();
  return true;
}
