// HeadlessDocument: a project document without window or bus, for tools, benchmarks and fuzzing.
#pragma once

#include <memory>
#include <string>

#include "opc/opc_server_callback.h"
#include "platform/event_loop.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"

// Answers every question with one fixed answer and shows nothing.
class SilentPrompt : public Prompt {
 public:
  explicit SilentPrompt(PromptAnswer answer = PromptAnswer::No) : m_answer(answer) {}
  PromptAnswer Ask(unsigned, std::string_view, PromptKind, PromptButtons) override {
    return m_answer;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override { return m_answer; }

 private:
  PromptAnswer m_answer;
};

// The document with its own name space and its settings in a private temporary folder, which
// is removed with it: a run never changes the user's settings ("Startfile" among them).
class HeadlessDocument {
 public:
  // `strings` gives the names of the special items; none leaves them empty.
  explicit HeadlessDocument(Prompt& prompt, std::function<std::string(unsigned)> strings = {});
  ~HeadlessDocument();
  HeadlessDocument(const HeadlessDocument&) = delete;
  HeadlessDocument& operator=(const HeadlessDocument&) = delete;

  CDORAzivazDoc& Doc() { return *m_doc; }
  // The private folder (empty when none could be made; the settings then stay in memory).
  const std::string& Dir() const { return m_dir; }

 private:
  std::string m_dir;
  SettingsStore m_settings;
  OpcServerCallback m_callback;
  EventLoop m_loop;
  std::unique_ptr<CDORAzivazDoc> m_doc;
};
