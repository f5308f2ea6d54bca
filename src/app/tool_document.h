// ToolDocument: a headless project document for zelvox-tool's commands.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "app/tool_prompt.h"
#include "opc/opc_server_callback.h"
#include "platform/event_loop.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"

// The document runs without bus, threads or window. Its settings live in a private folder
// that is removed afterwards, so that a tool run never changes the user's settings ("Startfile"
// among them).
class ToolDocument {
 public:
  explicit ToolDocument(std::ostream& err);
  ~ToolDocument();
  ToolDocument(const ToolDocument&) = delete;
  ToolDocument& operator=(const ToolDocument&) = delete;

  CDORAzivazDoc& Doc() { return *m_doc; }

  // Reads a project file (.zlv), or imports an ESF export (.esf), into the document. False,
  // with the reason on `err`, when the file cannot be read or the import fails.
  bool Open(const std::string& path);

 private:
  std::ostream& m_err;
  std::string m_settingsDir;
  std::unique_ptr<SettingsStore> m_settings;
  OpcServerCallback m_callback;
  ToolPrompt m_prompt;
  EventLoop m_loop;
  std::unique_ptr<CDORAzivazDoc> m_doc;
};
