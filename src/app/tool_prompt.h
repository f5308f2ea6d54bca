// ToolPrompt: messages of the document on zelvox-tool's stderr, in the user's language.
#pragma once

#include <ostream>

#include "platform/prompt.h"

// Messages are printed as UTF-8 lines; questions get their safe answer (No, or Ok).
class ToolPrompt : public Prompt {
 public:
  explicit ToolPrompt(std::ostream& err) : m_err(err) {}
  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind kind,
                   PromptButtons buttons) override;
  PromptAnswer AskText(std::string_view text, PromptKind kind, PromptButtons buttons) override;

 private:
  std::ostream& m_err;
};
