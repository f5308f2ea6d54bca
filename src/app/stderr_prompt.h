// StderrPrompt: the headless server's messages, written to stderr.
#pragma once

#include <mutex>
#include <ostream>

#include "platform/prompt.h"

// Messages come from the main thread and the worker threads; each is one UTF-8 line prefixed
// with "zelvox: ". Questions get the answer that changes nothing: No (Ok for a plain message),
// since no one is there to answer them.
class StderrPrompt : public Prompt {
 public:
  explicit StderrPrompt(std::ostream& out) : m_out(out) {}
  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind kind,
                   PromptButtons buttons) override;
  PromptAnswer AskText(std::string_view text, PromptKind kind, PromptButtons buttons) override;

 private:
  std::mutex m_mutex;
  std::ostream& m_out;
};
