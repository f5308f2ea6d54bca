// GroupAddressBox: the fields of the dialog, filled from and read into a GroupAddressEntry.
#include "ui/group_address_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "platform/prompt.h"
#include "ui/ansi_text.h"
#include "ui/dialog_texts.h"

namespace {

constexpr unsigned kAddressDialog = 184;
constexpr unsigned kMainControl = 1010;
constexpr unsigned kMiddleControl = 1011;
constexpr unsigned kSubControl = 1012;
constexpr unsigned kNameControl = 1013;
constexpr unsigned kTypeControl = 1014;
constexpr unsigned kPriorityControl = 1015;
constexpr unsigned kInitialReadControl = 1016;

QLineEdit* AddEdit(QDialog& dialog, QFormLayout& form, unsigned label, unsigned control,
                   const std::string& text) {
  auto* edit = new QLineEdit(FromAnsi(text), &dialog);
  edit->setObjectName(ControlObjectName(control));
  form.addRow(DialogControlText(kAddressDialog, label), edit);
  return edit;
}

// A drop-down list of the dialog's entries with `text` chosen; a text the list lacks is added,
// so that OK never changes what the user did not touch.
QComboBox* AddCombo(QDialog& dialog, QFormLayout& form, unsigned label, unsigned control,
                    const std::string& text) {
  auto* combo = new QComboBox(&dialog);
  combo->setObjectName(ControlObjectName(control));
  combo->addItems(DialogControlEntries(kAddressDialog, control));
  const QString chosen = FromAnsi(text);
  if (combo->findText(chosen) < 0) combo->addItem(chosen);
  combo->setCurrentIndex(combo->findText(chosen));
  form.addRow(DialogControlText(kAddressDialog, label), combo);
  return combo;
}

}  // namespace

GroupAddressBox::GroupAddressBox(const GroupItem& item, const GroupAddressEntry& entry,
                                 Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_item(item), m_prompt(prompt), m_opened(entry) {
  setObjectName(QStringLiteral("groupAddressDialog"));
  setWindowTitle(DialogTitle(kAddressDialog, QStringLiteral("Group Address")));
  auto* form = new QFormLayout(this);
  m_main = AddEdit(*this, *form, 1020, kMainControl, entry.main);
  m_middle = AddEdit(*this, *form, 1021, kMiddleControl, entry.twoLevel ? "" : entry.middle);
  m_sub = AddEdit(*this, *form, 1022, kSubControl, entry.sub);
  m_name = AddEdit(*this, *form, 1023, kNameControl, entry.name);
  m_type = AddCombo(*this, *form, 1024, kTypeControl, entry.typeText);
  m_priority = AddCombo(*this, *form, 1025, kPriorityControl, entry.priorityText);
  m_initialRead = new QCheckBox(DialogControlText(kAddressDialog, kInitialReadControl), this);
  m_initialRead->setObjectName(ControlObjectName(kInitialReadControl));
  m_initialRead->setChecked(entry.initialRead);
  form->addRow(m_initialRead);
  form->addRow(CreateDialogButtons(*this, kAddressDialog));

  // A number can be typed only while its group has none yet.
  m_main->setEnabled(entry.mainEditable);
  m_middle->setEnabled(entry.middleEditable);
  QLineEdit* first = entry.mainEditable ? m_main : entry.middleEditable ? m_middle : m_sub;
  first->setFocus();
  first->selectAll();
}

GroupAddressEntry GroupAddressBox::Entry() const {
  GroupAddressEntry entry = m_opened;
  entry.main = ToAnsi(m_main->text().trimmed());
  if (!entry.twoLevel) entry.middle = ToAnsi(m_middle->text().trimmed());
  entry.sub = ToAnsi(m_sub->text().trimmed());
  entry.name = ToAnsi(m_name->text());
  entry.typeText = ToAnsi(m_type->currentText());
  entry.priorityText = ToAnsi(m_priority->currentText());
  entry.initialRead = m_initialRead->isChecked();
  return entry;
}

void GroupAddressBox::accept() {
  const unsigned message = CheckGroupAddressEntry(m_item, Entry());
  if (message == 0) {
    QDialog::accept();
    return;
  }
  m_prompt.Show(message, {}, PromptKind::Warning);
  // The field the message speaks of takes the focus.
  QLineEdit* field = message == kStrMainGroupRange     ? m_main
                     : message == kStrMiddleGroupRange ? m_middle
                                                       : m_sub;
  field->setFocus();
  field->selectAll();
}
