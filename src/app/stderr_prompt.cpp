// StderrPrompt: language strings with their insert as lines on a stream.
#include "app/stderr_prompt.h"

#include <string>

#include "platform/code_page.h"
#include "platform/current_language.h"

PromptAnswer StderrPrompt::Ask(unsigned id, std::string_view insert, PromptKind kind,
                               PromptButtons buttons) {
  if (Language()->Has(id)) return AskText(FormatMessage(id, insert), kind, buttons);
  return AskText("message " + std::to_string(id) + " " + std::string(insert), kind, buttons);
}

PromptAnswer StderrPrompt::AskText(std::string_view text, PromptKind, PromptButtons buttons) {
  {
    std::lock_guard lock(m_mutex);
    m_out << m_prefix << AnsiToUtf8(text) << std::endl;
  }
  return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
}
