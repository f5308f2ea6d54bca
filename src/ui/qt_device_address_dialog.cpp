// QtDeviceAddressDialog: the layout of dialog 180 and the check on OK.
#include "ui/qt_device_address_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/prompt.h"
#include "ui/ansi_text.h"

namespace {

constexpr unsigned kDeviceDialog = 180;
constexpr unsigned kAddressEdit = 1010;
constexpr unsigned kOkButton = 1;
constexpr unsigned kCancelButton = 2;

}  // namespace

bool QtDeviceAddressDialog::Run(std::string& address,
                                const std::function<unsigned(std::string&)>& validate) {
  QDialog dialog(m_parent);
  dialog.setObjectName(QStringLiteral("deviceAddressDialog"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new QLineEdit(FromAnsi(address), &dialog);
  edit->setObjectName(QStringLiteral("edit%1").arg(kAddressEdit));
  // Area.line.device with room for blanks and a wrong entry that the check reports.
  edit->setMaxLength(32);
  auto* buttons = new QDialogButtonBox(&dialog);

  const auto language = Language();
  const Dialog* resource = language->FindDialog(kDeviceDialog);
  dialog.setWindowTitle(resource ? FromAnsi(resource->title) : QStringLiteral("Device"));
  if (resource) {
    for (const DialogControl& control : resource->controls) {
      switch (control.kind) {
        case DialogControl::Kind::Button:
          if (control.id == kOkButton)
            buttons->addButton(FromAnsi(control.text), QDialogButtonBox::AcceptRole);
          if (control.id == kCancelButton)
            buttons->addButton(FromAnsi(control.text), QDialogButtonBox::RejectRole);
          break;
        case DialogControl::Kind::Label: {
          auto* label = new QLabel(FromAnsi(control.text), &dialog);
          label->setBuddy(edit);
          layout->addWidget(label);
          break;
        }
        default:
          break;
      }
    }
  }
  if (buttons->buttons().isEmpty())
    buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  for (QAbstractButton* button : buttons->buttons()) {
    if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
      static_cast<QPushButton*>(button)->setDefault(true);
  }

  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    std::string text = ToAnsi(edit->text());
    const unsigned message = validate(text);
    // A valid text comes back in its padded form, also when it is refused as a duplicate.
    edit->setText(FromAnsi(text));
    if (message != 0) {
      m_prompt.Show(message, {}, PromptKind::Warning);
      edit->setFocus();
      edit->selectAll();
      return;
    }
    address = text;
    dialog.accept();
  });
  edit->selectAll();
  edit->setFocus();
  return dialog.exec() == QDialog::Accepted;
}
