// ToolPrompt: language strings formatted with their insert, printed to stderr.
#include "app/tool_prompt.h"

#include <string>

#include "platform/code_page.h"
#include "platform/current_language.h"

namespace {

PromptAnswer SafeAnswer(PromptButtons buttons) {
  return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
}

}  // namespace

PromptAnswer ToolPrompt::Ask(unsigned id, std::string_view insert, PromptKind kind,
                             PromptButtons buttons) {
  std::string text = Language()->Has(id)
                         ? FormatMessage(id, insert)
                         : "message " + std::to_string(id) + ": " + std::string(insert);
  return AskText(text, kind, buttons);
}

PromptAnswer ToolPrompt::AskText(std::string_view text, PromptKind, PromptButtons buttons) {
  m_err << "zelvox-tool: " << AnsiToUtf8(text) << '\n';
  return SafeAnswer(buttons);
}
