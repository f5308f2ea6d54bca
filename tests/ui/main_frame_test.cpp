// Tests of the frame: closing sequence, client-started exit, import with progress, file
// commands with the save question, title, recent files and the persisted window layout.
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <fstream>

#include "project/project_file.h"
#include "ui/window_settings.h"
#include "window_fixture.h"

namespace {

constexpr unsigned kStrClientsConnected = 170;
constexpr unsigned kStrAskToSave = 61442;

TEST_F(WindowTest, ClosingAsksWhileClientsAreConnected) {
  MakeWindow();
  clients = 2;
  prompt.answers = {PromptAnswer::No};
  EXPECT_FALSE(frame->close());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrClientsConnected});
  EXPECT_FALSE(doc->Stopping());  // the bus worker runs on

  prompt.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(frame->close());
  EXPECT_TRUE(doc->Stopping());

  // Without clients nothing is asked of an unmodified project.
  prompt.asked.clear();
  MakeWindow();
  clients = 0;
  EXPECT_TRUE(frame->close());
  EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WindowTest, ClosingAModifiedProjectAsksToSave) {
  MakeWindow();
  ImportDemo();
  doc->SetModifiedFlag();
  prompt.answers = {PromptAnswer::Cancel};
  EXPECT_FALSE(frame->close());
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrAskToSave});
  EXPECT_TRUE(doc->IsModified());

  // Yes with a new project asks for a path and saves there.
  dialogs.savePath = dir + "/saved.zlv";
  prompt.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(frame->close());
  EXPECT_TRUE(std::filesystem::exists(dir + "/saved.zlv"));
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(WindowTest, StartByAClientEndsAtTheFirstTickWithoutClients) {
  MakeWindow(true);
  ASSERT_TRUE(frame->ClientTimerActive());
  QSignalSpy closed(frame.get(), &CMainFrame::Closed);
  clients = 1;
  QTest::qWait(1300);
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(frame->isVisible());
  clients = 0;
  EXPECT_TRUE(closed.wait(2500));
  EXPECT_FALSE(frame->isVisible());
  EXPECT_FALSE(frame->ClientTimerActive());

  // A user's start has no such timer.
  MakeWindow(false);
  EXPECT_FALSE(frame->ClientTimerActive());
}

TEST_F(WindowTest, ImportShowsProgressAndFillsTheTree) {
  MakeWindow();
  std::vector<int> values;
  QObject::connect(&frame->Progress(), &QProgressBar::valueChanged, [&](int v) {
    values.push_back(v);
    EXPECT_TRUE(frame->Progress().isVisible());
  });
  dialogs.openPath = ZELVOX_DEMO_ESF;
  frame->RunCommand(kCmdImportEsf);
  ASSERT_FALSE(values.empty());
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(values.back(), 100);
  EXPECT_GT(values.size(), 3u);
  EXPECT_FALSE(frame->Progress().isVisible());
  // The file dialog had the ESF filter of the language file.
  ASSERT_FALSE(dialogs.requests.empty());
  EXPECT_EQ(dialogs.requests.back().filter, Language()->String(172));
  auto* root = static_cast<QTreeWidgetItem*>(doc->Root().m_treeItem);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->text(0), "Demo House");
  EXPECT_TRUE(root->isExpanded());
  // The main groups and the devices node.
  EXPECT_EQ(root->childCount(), static_cast<int>(doc->Root().m_children.size()) + 1);
}

TEST_F(WindowTest, FileCommandsKeepTitleAndRecentFiles) {
  MakeWindow();
  EXPECT_EQ(frame->windowTitle(), "Untitled - Zelvox");
  ImportDemo();
  dialogs.savePath = dir + "/house.zlv";
  frame->RunCommand(kCmdFileSave);  // no path yet: Save As
  EXPECT_TRUE(std::filesystem::exists(dir + "/house.zlv"));
  EXPECT_EQ(frame->windowTitle(), "house.zlv - Zelvox");
  EXPECT_EQ(frame->RecentFiles(), std::vector<std::string>{dir + "/house.zlv"});

  // New with a modified project: the save question; No drops the changes.
  doc->SetModifiedFlag();
  prompt.answers = {PromptAnswer::No};
  frame->RunCommand(kCmdFileNew);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrAskToSave});
  EXPECT_EQ(frame->windowTitle(), "Untitled - Zelvox");
  EXPECT_TRUE(doc->Root().m_children.empty());

  dialogs.openPath = dir + "/house.zlv";
  frame->RunCommand(kCmdFileOpen);
  EXPECT_EQ(frame->windowTitle(), "house.zlv - Zelvox");
  EXPECT_FALSE(doc->Root().m_children.empty());
  EXPECT_NE(dialogs.requests.back().filter.find("*.zlv"), std::string::npos);

  // The list holds four files, newest first, without repeats.
  for (const char* name : {"a.zlv", "b.zlv", "c.zlv", "d.zlv"}) {
    dialogs.savePath = dir + "/" + name;
    frame->RunCommand(kCmdFileSaveAs);
  }
  frame->RunCommand(kCmdFileSaveAs);  // d.zlv again
  EXPECT_EQ(frame->RecentFiles(), (std::vector<std::string>{dir + "/d.zlv", dir + "/c.zlv",
                                                            dir + "/b.zlv", dir + "/a.zlv"}));
  frame->RunCommand(kCmdRecentFile1 + 3);
  EXPECT_EQ(frame->windowTitle(), "a.zlv - Zelvox");
}

TEST_F(WindowTest, WindowLayoutPersistsInTheSettingsStore) {
  MakeWindow();
  // One third for the tree, two thirds for the list.
  const QList<int> sizes = frame->Splitter().sizes();
  ASSERT_EQ(sizes.size(), 2);
  EXPECT_NEAR(sizes[0], (sizes[0] + sizes[1] + frame->Splitter().handleWidth()) / 3, 2);
  ImportDemo();
  Select(Group(1, 4));
  frame->resize(900, 500);
  frame->Splitter().setSizes({200, 650});
  const int left = frame->Splitter().sizes().at(0);
  frame->List().header()->resizeSection(1, 123);
  doc->SetModifiedFlag(false);
  ASSERT_TRUE(frame->close());
  EXPECT_EQ(settings->GetInt(kWindowKey, "WindowWidth"), 900);
  EXPECT_EQ(settings->GetInt(kWindowKey, "WindowHeight"), 500);
  EXPECT_EQ(settings->GetInt(kWindowKey, "SplitterPosition"), left);

  MakeWindow();
  EXPECT_NEAR(frame->Splitter().sizes().at(0), left, 2);
  ImportDemo();
  Select(Group(1, 4));
  EXPECT_EQ(frame->List().header()->sectionSize(1), 123);
}

TEST_F(WindowTest, MenusComeFromTheLanguageFileWithShortcuts) {
  MakeWindow();
  ASSERT_TRUE(frame->Action(kCmdFileOpen));
  EXPECT_EQ(frame->Action(kCmdFileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(frame->Action(kCmdFileSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
  EXPECT_EQ(frame->Action(kCmdExit)->shortcut(), QKeySequence(QKeySequence::Quit));
  EXPECT_EQ(frame->Action(kCmdHelp)->shortcut(), QKeySequence(QStringLiteral("F1")));
  EXPECT_EQ(frame->Action(kCmdFileOpen)->text(), "&Open...");
  // Commands without a handler (here the settings commands) stay disabled; those with
  // handlers are enabled.
  EXPECT_TRUE(frame->Action(32827)->isEnabled());   // busmonitor
  EXPECT_FALSE(frame->Action(32778)->isEnabled());  // options
  EXPECT_TRUE(frame->Action(kCmdImportEsf)->isEnabled());
  EXPECT_TRUE(frame->Action(kCmdConvertEts4)->isEnabled());
}

}  // namespace
