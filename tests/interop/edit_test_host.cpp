// A test host for editing the project while OPC UA clients watch it: the project document with
// the demo project served by the OPC UA server on the port given as first argument (the
// settings live in the folder given as second, the demo export is the third). Prints
// "listening <port>" when ready. On stdin, one command a line, fields separated by TAB:
// "rename <group path> <name>", "delete <group path>", "undo"; a group path is the main group's
// name, or the main and middle group names separated by ".". Each answers "ok", "none" or
// "refused <message>".
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "opc/opc_server_callback.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/delete_commands.h"
#include "project/dorazivaz_doc.h"
#include "project/esf_import.h"
#include "project/group_commands.h"
#include "project/group_node.h"
#include "toolkit/opcua/ua_server.h"

namespace {

// Answers every question with Yes and keeps the last message shown.
class AnsweringPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned id, std::string_view, PromptKind, PromptButtons buttons) override {
    if (buttons == PromptButtons::Ok) last = id;
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::Yes;
  }
  unsigned last = 0;
};

// Nothing posts without a bus.
class NoMainThread : public MainThread {
 public:
  void Post(std::function<void()>) override {}
};

GroupNode* FindGroup(GroupNode& root, const std::string& path) {
  GroupNode* node = &root;
  std::stringstream parts(path);
  std::string name;
  while (node && std::getline(parts, name, '.')) {
    GroupNode* next = nullptr;
    for (auto& child : node->m_children)
      if (child->m_name == name) next = child.get();
    node = next;
  }
  return node == &root ? nullptr : node;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: edit_test_host <port> <settings folder> <esf>\n");
    return 2;
  }
  OpcServerCallback callback;
  AnsweringPrompt prompt;
  NoMainThread mainThread;
  SettingsStore settings(argv[2]);
  CDORAzivazDoc doc({callback, prompt, mainThread, settings});
  if (ImportEsfFile(doc, argv[3], nullptr) != EsfImportResult::kImported) {
    std::fprintf(stderr, "the export could not be imported\n");
    return 2;
  }
  UaServerOptions options;
  options.port = static_cast<std::uint16_t>(std::stoi(argv[1]));
  UaServer server(callback, options);
  std::string error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::printf("listening %u\n", server.Port());
  std::fflush(stdout);

  std::vector<DocumentEditPtr> edits;
  std::string line;
  while (std::getline(std::cin, line)) {
    const std::vector<std::string> f = Fields(line);
    if (f.empty()) continue;
    prompt.last = 0;
    DocumentEditPtr edit;
    bool done = false;
    if (f[0] == "rename" && f.size() == 3) {
      if (GroupNode* node = FindGroup(doc.Root(), f[1])) edit = RenameGroup(doc, *node, f[2]);
    } else if (f[0] == "delete" && f.size() == 2) {
      if (GroupNode* node = FindGroup(doc.Root(), f[1])) edit = DeleteGroup(doc, *node);
    } else if (f[0] == "undo" && !edits.empty()) {
      done = edits.back()->Undo();
      if (done) edits.pop_back();
    }
    done = done || edit != nullptr;
    if (edit) edits.push_back(std::move(edit));
    if (prompt.last != 0) {
      std::printf("refused %u\n", prompt.last);
    } else {
      std::printf(done ? "ok\n" : "none\n");
    }
    std::fflush(stdout);
  }
  server.Stop();
  return 0;
}
