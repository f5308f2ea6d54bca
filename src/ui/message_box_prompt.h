// MessageBoxPrompt: the window's messages and questions as Qt message boxes.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/prompt.h"

// Texts from the language files, titled with the application's name; main thread only.
class MessageBoxPrompt : public Prompt {
 public:
  // The window the boxes are modal to; null before the main window exists.
  void SetParent(QWidget* parent) { m_parent = parent; }

  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind kind,
                   PromptButtons buttons) override;
  PromptAnswer AskText(std::string_view text, PromptKind kind, PromptButtons buttons) override;

 private:
  QPointer<QWidget> m_parent;
};
