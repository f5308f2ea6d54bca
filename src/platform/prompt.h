// Prompt: how the system shows a message or asks a question of the user, with or without a window.
#pragma once

#include <string>
#include <string_view>

enum class PromptKind { Information, Warning, Error, Question };
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

// The GUI shows message boxes; the headless service writes to stderr and answers questions
// with a documented default; tests record what was asked. Texts are Windows-1252.
class Prompt {
 public:
  virtual ~Prompt() = default;
  // A message or question whose text is the language string `id`, formatted with `insert`
  // where the string has a conversion.
  virtual PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind kind,
                           PromptButtons buttons) = 0;
  // The same with a finished text (the few texts that do not come from the language files).
  virtual PromptAnswer AskText(std::string_view text, PromptKind kind, PromptButtons buttons) = 0;

  void Show(unsigned id, std::string_view insert = {}, PromptKind kind = PromptKind::Error) {
    Ask(id, insert, kind, PromptButtons::Ok);
  }
};
