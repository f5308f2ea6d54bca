// NameBox: a prompt, one edit field, OK and Cancel; empty names refused.
#include "ui/name_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "project/group_commands.h"
#include "ui/ansi_text.h"
#include "ui/dialog_texts.h"

namespace {

constexpr unsigned kNameBox = 182;
constexpr unsigned kPromptControl = 1009;
constexpr unsigned kNameControl = 1010;

}  // namespace

NameBox::NameBox(Prompt& prompt, unsigned promptString, const std::string& name, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
  setObjectName(QStringLiteral("nameDialog"));
  setWindowTitle(DialogTitle(kNameBox, QStringLiteral("Name")));
  auto* layout = new QVBoxLayout(this);
  QString promptText = LanguageString(promptString);
  if (promptText.isEmpty()) promptText = DialogControlText(kNameBox, kPromptControl);
  auto* label = new QLabel(promptText, this);
  label->setObjectName(ControlObjectName(kPromptControl));
  layout->addWidget(label);
  m_edit = new QLineEdit(FromAnsi(name), this);
  m_edit->setObjectName(ControlObjectName(kNameControl));
  m_edit->selectAll();
  label->setBuddy(m_edit);
  layout->addWidget(m_edit);
  layout->addWidget(CreateDialogButtons(*this, kNameBox));
}

std::string NameBox::Name() const {
  return ToAnsi(m_edit->text());
}

void NameBox::accept() {
  if (m_edit->text().isEmpty()) {
    m_prompt.Show(kStrEnterName, {}, PromptKind::Warning);
    m_edit->setFocus();
    return;
  }
  QDialog::accept();
}
