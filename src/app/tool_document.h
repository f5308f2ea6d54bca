// ToolDocument: a headless project document for zelvox-tool's commands.
#pragma once

#include <ostream>
#include <string>

#include "app/headless_document.h"
#include "app/stderr_prompt.h"

// The document runs without bus, threads or window, with its settings in a private folder
// (HeadlessDocument); its messages go to stderr in the user's language.
class ToolDocument {
 public:
  explicit ToolDocument(std::ostream& err);
  ToolDocument(const ToolDocument&) = delete;
  ToolDocument& operator=(const ToolDocument&) = delete;

  CDORAzivazDoc& Doc() { return m_headless.Doc(); }

  // Reads a project file (.zlv), or imports an ESF export (.esf), into the document. False,
  // with the reason on `err`, when the file cannot be read or the import fails.
  bool Open(const std::string& path);

 private:
  std::ostream& m_err;
  bool m_languageLoaded;  // before the document takes the names of its special items
  StderrPrompt m_prompt;
  HeadlessDocument m_headless;
};
