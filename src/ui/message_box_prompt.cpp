// MessageBoxPrompt: QMessageBox with the icon of the kind and the buttons asked for.
#include "ui/message_box_prompt.h"

#include <QMessageBox>
#include <string>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "ui/ansi_text.h"
#include "ui/framework_command_ids.h"

PromptAnswer MessageBoxPrompt::Ask(unsigned id, std::string_view insert, PromptKind kind,
                                   PromptButtons buttons) {
  if (Language()->Has(id)) return AskText(FormatMessage(id, insert), kind, buttons);
  return AskText("message " + std::to_string(id) + " " + std::string(insert), kind, buttons);
}

PromptAnswer MessageBoxPrompt::AskText(std::string_view text, PromptKind kind,
                                       PromptButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (kind) {
    case PromptKind::Information:
      break;
    case PromptKind::Warning:
      icon = QMessageBox::Warning;
      break;
    case PromptKind::Error:
      icon = QMessageBox::Critical;
      break;
    case PromptKind::Question:
      icon = QMessageBox::Question;
      break;
  }
  QMessageBox::StandardButtons shown = QMessageBox::Ok;
  if (buttons == PromptButtons::YesNo) shown = QMessageBox::Yes | QMessageBox::No;
  if (buttons == PromptButtons::YesNoCancel)
    shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  QString title = LanguageString(kStrApplicationTitle);
  if (title.isEmpty()) title = QStringLiteral("Zelvox");
  QMessageBox box(icon, title, FromAnsi(text), shown, m_parent);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    case QMessageBox::Cancel:
      return PromptAnswer::Cancel;
    default:
      return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
  }
}
