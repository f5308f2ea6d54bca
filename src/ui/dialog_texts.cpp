// DialogTexts: dialog texts of the current language as QStrings.
#include "ui/dialog_texts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "ui/ansi_text.h"

QString DialogTitle(unsigned dialog, const QString& fallback) {
  const Dialog* resource = Language()->FindDialog(dialog);
  return resource ? FromAnsi(resource->title) : fallback;
}

QString DialogControlText(unsigned dialog, unsigned control) {
  return FromAnsi(Language()->DialogText(dialog, control));
}

QStringList DialogControlEntries(unsigned dialog, unsigned control) {
  QStringList entries;
  const Dialog* resource = Language()->FindDialog(dialog);
  if (!resource) return entries;
  if (const DialogControl* found = resource->Find(control)) {
    for (const std::string& entry : found->entries) entries.push_back(FromAnsi(entry));
  }
  return entries;
}

QString ControlObjectName(unsigned control) {
  return QStringLiteral("control%1").arg(control);
}

QDialogButtonBox* CreateDialogButtons(QDialog& dialog, unsigned dialogId, bool withCancel) {
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  if (const QString text = DialogControlText(dialogId, 1); !text.isEmpty()) ok->setText(text);
  if (withCancel) {
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    if (const QString text = DialogControlText(dialogId, 2); !text.isEmpty()) cancel->setText(text);
  }
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}
