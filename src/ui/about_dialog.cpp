// AboutDialog: labels and buttons of dialog 100 laid out in a column beside the program icon.
#include "ui/about_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_settings.h"
#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "ui/ansi_text.h"
#include "ui/image_list.h"

namespace {

constexpr unsigned kAboutDialog = 100;
constexpr unsigned kVersionControl = 1000;
constexpr unsigned kEmptyControl = 1050;

}  // namespace

QDialog* CreateAboutDialog(QWidget* parent) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QStringLiteral("aboutDialog"));
  auto* layout = new QHBoxLayout(dialog);
  auto* icon = new QLabel(dialog);
  icon->setPixmap(ToolbarIcon("zelvox").pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);
  layout->addWidget(icon);
  auto* column = new QVBoxLayout;
  layout->addLayout(column);
  auto* buttons = new QDialogButtonBox(dialog);

  const Dialog* resource = Language()->FindDialog(kAboutDialog);
  dialog->setWindowTitle(resource ? FromAnsi(resource->title) : QStringLiteral("Zelvox"));
  if (resource) {
    for (const DialogControl& control : resource->controls) {
      if (control.kind == DialogControl::Kind::Button) {
        QPushButton* button =
            buttons->addButton(FromAnsi(control.text), QDialogButtonBox::AcceptRole);
        button->setDefault(true);
        continue;
      }
      QString text = FromAnsi(control.text);
      if (control.id == kVersionControl) text = QString::fromLatin1(kAboutVersionText);
      if (control.id == kEmptyControl) text.clear();
      auto* label = new QLabel(text, dialog);
      label->setObjectName(QStringLiteral("control%1").arg(control.id));
      column->addWidget(label);
    }
  }
  if (buttons->buttons().isEmpty()) buttons->addButton(QDialogButtonBox::Ok);
  column->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  return dialog;
}

void ShowAboutDialog(QWidget* parent) {
  QDialog* dialog = CreateAboutDialog(parent);
  dialog->exec();
  delete dialog;
}
