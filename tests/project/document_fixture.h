// Test fixture of the project document: recording fakes of the prompt, the views and the
// address, name and links dialogs, a settings store and a project folder in a fresh temporary
// directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "opc/opc_server_callback.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/group_address_dialog.h"
#include "project/linked_addresses_dialog.h"
#include "project/name_dialog.h"

struct PromptRecord {
  unsigned id;
  std::string insert;
};

class RecordingPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind, PromptButtons) override {
    records.push_back({id, std::string(insert)});
    return answer;
  }
  PromptAnswer AskText(std::string_view text, PromptKind, PromptButtons) override {
    records.push_back({0, std::string(text)});
    return answer;
  }
  std::vector<PromptRecord> records;
  PromptAnswer answer = PromptAnswer::Ok;
};

class QueuedMainThread : public MainThread {
 public:
  void Post(std::function<void()> task) override { tasks.push_back(std::move(task)); }
  std::vector<std::function<void()>> tasks;
};

class FakeViews : public DocumentViews {
 public:
  void BeginProgress() override {}
  void SetProgress(int) override {}
  void EndProgress() override {}
  void RefreshItemType(GroupItem&) override {}
  void RefreshNodeMark(GroupNode&) override {}
  void ClearViews() override { ++clears; }
  void ShowRoot(GroupNode&, GroupNode&) override { ++rootsShown; }
  void RefreshRootName(GroupNode&) override {}
  void NodeAdded(GroupNode& node) override { nodesAdded.push_back(&node); }
  void NodeRemoving(GroupNode& node) override { nodesRemoved.push_back(&node); }
  void SelectNode(GroupNode& node) override { selected = &node; }
  void ShowNodeContent(GroupNode&) override {}
  void ExpandRoot() override {}
  void ItemAdded(GroupItem& item) override { added.push_back(&item); }
  void ItemRemoving(GroupItem& item) override { removed.push_back(&item); }
  void ItemChanged(GroupItem& item) override { changed.push_back(&item); }
  GroupNode* SelectedNode() override { return selected; }
  std::vector<GroupItem*> SelectedItems() override { return selectedItems; }

  int clears = 0;
  int rootsShown = 0;
  std::vector<GroupItem*> added;
  std::vector<GroupItem*> removed;
  std::vector<GroupItem*> changed;
  std::vector<GroupNode*> nodesAdded;
  std::vector<GroupNode*> nodesRemoved;
  GroupNode* selected = nullptr;
  std::vector<GroupItem*> selectedItems;
};

// Records the address text and fields it was opened with; then applies `edit` to the fields and
// answers OK (the fields) or Cancel (none). Confirming runs the dialog's own check: a
// refusal is recorded and, as a user would give up, answered with Cancel.
class FakeAddressDialog : public GroupAddressDialog {
 public:
  std::optional<GroupAddressEntry> Edit(const GroupItem& item,
                                        const GroupAddressEntry& entry) override {
    proposed.push_back(item.m_addressText);
    opened.push_back(entry);
    GroupAddressEntry fields = entry;
    if (edit) edit(fields);
    if (!ok) return std::nullopt;
    if (const unsigned message = CheckGroupAddressEntry(item, fields)) {
      refusals.push_back(message);
      return std::nullopt;
    }
    return fields;
  }
  std::vector<std::string> proposed;
  std::vector<GroupAddressEntry> opened;
  std::vector<unsigned> refusals;
  std::function<void(GroupAddressEntry&)> edit;
  bool ok = true;
};

// Answers each name question with `name` (none: Cancel) and records the prompts and the names
// it was opened with.
class FakeNameDialog : public NameDialog {
 public:
  std::optional<std::string> AskName(unsigned prompt, std::string_view shown) override {
    prompts.push_back(prompt);
    opened.emplace_back(shown);
    return name;
  }
  std::optional<std::string> name;
  std::vector<unsigned> prompts;
  std::vector<std::string> opened;
};

// Records what the links dialog was opened with and answers with `chosen` (none: Cancel).
class FakeLinksDialog : public LinkedAddressesDialog {
 public:
  std::optional<std::vector<GroupItem*>> Edit(const GroupItem&,
                                              const CurrentLinks& current) override {
    opened.push_back(current);
    return chosen;
  }
  std::optional<std::vector<GroupItem*>> chosen;
  std::vector<CurrentLinks> opened;
};

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() {
    char pattern[] = "/tmp/zelvox-doc-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
  }
  ~DocumentTest() override {
    doc.reset();
    std::filesystem::remove_all(dir);
  }

  CDORAzivazDoc& MakeDoc(DocumentSeams seams = {}) {
    CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
    services.views = &views;
    services.addressDialog = &dialog;
    services.nameDialog = &names;
    services.linksDialog = &links;
    doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
    return *doc;
  }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  void WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  RecordingPrompt prompt;
  QueuedMainThread mainThread;
  FakeViews views;
  FakeAddressDialog dialog;
  FakeNameDialog names;
  FakeLinksDialog links;
  std::unique_ptr<CDORAzivazDoc> doc;
};
