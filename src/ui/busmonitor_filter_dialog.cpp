// BusmonitorFilterDialog: normalising and checking the pattern fields on OK.
#include "ui/busmonitor_filter_dialog.h"

#include <QLineEdit>

#include "platform/prompt.h"
#include "ui/ansi_text.h"

namespace {

struct FieldRule {
  unsigned edit;
  unsigned message;
  PatternField field;
  std::string AddressPatterns::*pattern;
};

constexpr FieldRule kFields[] = {
    {1010, 148, PatternField::Main, &AddressPatterns::main},
    {1011, 149, PatternField::Middle, &AddressPatterns::middle},
    {1012, 150, PatternField::Sub, &AddressPatterns::sub},
};

}  // namespace

BusmonitorFilterDialog::BusmonitorFilterDialog(const AddressPatterns& patterns, bool twoLevel,
                                               Prompt& prompt, QWidget* parent)
    : ResourceDialog(178, parent), m_patterns(patterns), m_twoLevel(twoLevel), m_prompt(prompt) {
  Build();
  for (const FieldRule& rule : kFields) {
    auto* edit = ControlAs<QLineEdit>(rule.edit);
    if (!edit) continue;
    const bool unused = twoLevel && rule.field == PatternField::Middle;
    edit->setText(unused ? QString() : FromAnsi(patterns.*rule.pattern));
    edit->setEnabled(!unused);
  }
  SetValidator([this] { return CheckFields(); });
}

bool BusmonitorFilterDialog::CheckFields() {
  AddressPatterns chosen;
  for (const FieldRule& rule : kFields) {
    if (m_twoLevel && rule.field == PatternField::Middle) continue;  // stays "*"
    auto* edit = ControlAs<QLineEdit>(rule.edit);
    if (!edit) continue;
    const std::string text = NormalizePattern(ToAnsi(edit->text()));
    edit->setText(FromAnsi(text));
    if (!PatternAccepted(text, rule.field, m_twoLevel)) {
      m_prompt.Show(rule.message, {}, PromptKind::Information);
      edit->setFocus();
      edit->selectAll();
      return false;
    }
    chosen.*rule.pattern = text;
  }
  m_patterns = chosen;
  return true;
}
