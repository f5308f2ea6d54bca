// QtLanguageDialog: the two language choices of dialog 186.
#include "ui/qt_language_dialog.h"

#include <QRadioButton>

#include "ui/resource_dialog.h"

namespace {

constexpr unsigned kRadioEnglish = 1005;
constexpr unsigned kRadioGerman = 1006;

class LanguageWindow : public ResourceDialog {
 public:
  explicit LanguageWindow(QWidget* parent) : ResourceDialog(186, parent) { Build(); }
};

}  // namespace

bool QtLanguageDialog::Run(std::int32_t& language) {
  LanguageWindow dialog(m_parent);
  if (auto* radio = dialog.ControlAs<QRadioButton>(language == 1 ? kRadioGerman : kRadioEnglish))
    radio->setChecked(true);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (const auto* german = dialog.ControlAs<QRadioButton>(kRadioGerman))
    language = german->isChecked() ? 1 : 0;
  return true;
}
