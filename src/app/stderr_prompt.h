// StderrPrompt: the messages of a program without a window, written to stderr.
#pragma once

#include <mutex>
#include <ostream>
#include <string>

#include "platform/prompt.h"

// Messages come from the main thread and the worker threads; each is one UTF-8 line prefixed
// with the program's name ("zelvox: ", "zelvox-tool: "). Questions get the answer that changes
// nothing: No (Ok for a plain message), since no one is there to answer them.
class StderrPrompt : public Prompt {
 public:
  explicit StderrPrompt(std::ostream& out, std::string program = "zelvox")
      : m_out(out), m_prefix(std::move(program) + ": ") {}
  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind kind,
                   PromptButtons buttons) override;
  PromptAnswer AskText(std::string_view text, PromptKind kind, PromptButtons buttons) override;

 private:
  std::mutex m_mutex;
  std::ostream& m_out;
  std::string m_prefix;
};
