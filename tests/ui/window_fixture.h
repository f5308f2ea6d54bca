// Test fixture of the main window: the real frame on a real document with the demo project,
// a scripted prompt and file dialogs, a settings store in a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeWidgetItem>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_seams.h"
#include "project/dorazivaz_doc.h"
#include "project/esf_import.h"
#include "project/file_dialogs.h"
#include "project/group_node.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/qt_main_thread.h"
#include "ui/tree_view.h"

// Records every message and answers from a script (then with `fallback`).
class ScriptedPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned id, std::string_view insert, PromptKind, PromptButtons) override {
    asked.push_back(id);
    inserts.emplace_back(insert);
    return Next();
  }
  PromptAnswer AskText(std::string_view text, PromptKind, PromptButtons) override {
    asked.push_back(0);
    inserts.emplace_back(text);
    return Next();
  }
  std::deque<PromptAnswer> answers;
  PromptAnswer fallback = PromptAnswer::Ok;
  std::vector<unsigned> asked;
  std::vector<std::string> inserts;

 private:
  PromptAnswer Next() {
    if (answers.empty()) return fallback;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return openPath;
  }
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return savePath;
  }
  std::optional<std::string> openPath;
  std::optional<std::string> savePath;
  std::vector<FileDialogRequest> requests;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    char pattern[] = "/tmp/zelvox-ui-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
    std::string error;
    EXPECT_TRUE(LoadLanguage(0, &error)) << error;
  }
  ~WindowTest() override {
    CloseWindow();
    std::filesystem::remove_all(dir);
  }

  // The window and its document, the window shown (it is made before the document, as at
  // start). A window made before goes first.
  void MakeWindow(bool startedByClient = false) {
    CloseWindow();
    CMainFrame::Services frameServices{prompt, dialogs, *settings, startedByClient,
                                       [this] { return clients; }};
    frame = std::make_unique<CMainFrame>(frameServices);
    CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
    services.strings = [](unsigned id) { return Language()->String(id); };
    services.views = frame.get();
    services.fileDialogs = &dialogs;
    doc = std::make_unique<CDORAzivazDoc>(services, seams);
    frame->Attach(doc.get());
    frame->resize(1000, 600);
    frame->show();
    QApplication::processEvents();
  }

  // The rows and entries forget the records, then the document and the window go.
  void CloseWindow() {
    if (frame) {
      frame->ClearViews();
      frame->Attach(nullptr);
    }
    doc.reset();
    frame.reset();
  }

  void ImportDemo() {
    ASSERT_EQ(ImportEsfFile(*doc, ZELVOX_DEMO_ESF, frame.get()), EsfImportResult::kImported);
    QApplication::processEvents();
  }

  // The main (number `main`) or middle group (`main`/`middle`) of the project.
  GroupNode& Group(int main, int middle = -1) {
    for (auto& mainGroup : doc->Root().m_children) {
      if (mainGroup->m_number != main || mainGroup->m_deviceNode) continue;
      if (middle < 0) return *mainGroup;
      for (auto& middleGroup : mainGroup->m_children) {
        if (middleGroup->m_number == middle) return *middleGroup;
      }
    }
    ADD_FAILURE() << "no group " << main << "/" << middle;
    return doc->Root();
  }

  void Select(GroupNode& node) {
    frame->Tree().setCurrentItem(static_cast<QTreeWidgetItem*>(node.m_treeItem));
    QApplication::processEvents();
  }

  // Selects exactly the list rows of these addresses.
  void SelectRows(const std::vector<std::string>& addresses) {
    ListView& list = frame->List();
    list.clearSelection();
    for (const std::string& address : addresses) {
      const int row = Row(address);
      ASSERT_GE(row, 0) << address;
      list.selectionModel()->select(list.model()->index(row, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }

  int Row(const std::string& address) {
    ItemListModel& model = frame->List().Model();
    for (int row = 0; row < model.Count(); ++row) {
      if (model.ItemAt(row)->m_addressText == address) return row;
    }
    return -1;
  }

  QString Cell(int row, int column) {
    return frame->List().model()->index(row, column).data().toString();
  }

  std::string dir;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  ScriptedPrompt prompt;
  ScriptedFileDialogs dialogs;
  QtMainThread mainThread;
  int clients = 0;
  DocumentSeams seams;  // what the next document is made with
  std::unique_ptr<CMainFrame> frame;
  std::unique_ptr<CDORAzivazDoc> doc;
};
