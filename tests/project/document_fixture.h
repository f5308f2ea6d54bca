// Test fixture of the project document: recording fakes of the prompt, the views and the
// address dialog, a settings store and a project folder in a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
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
  void NodeAdded(GroupNode&) override {}
  void NodeRemoving(GroupNode&) override {}
  void ShowNodeContent(GroupNode&) override {}
  void ExpandRoot() override {}
  void ItemAdded(GroupItem& item) override { added.push_back(&item); }
  GroupNode* SelectedNode() override { return selected; }

  int clears = 0;
  int rootsShown = 0;
  std::vector<GroupItem*> added;
  GroupNode* selected = nullptr;
};

// Records the address text it was opened with; then applies `edit` and answers `ok`.
class FakeAddressDialog : public GroupAddressDialog {
 public:
  bool Edit(GroupItem& item, bool isNew, bool) override {
    proposed.push_back(item.m_addressText);
    EXPECT_TRUE(isNew);
    if (edit) edit(item);
    return ok;
  }
  std::vector<std::string> proposed;
  std::function<void(GroupItem&)> edit;
  bool ok = true;
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
  std::unique_ptr<CDORAzivazDoc> doc;
};
