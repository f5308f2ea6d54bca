// The main window's views on a project of 65,536 group items, offscreen: opening the project
// into the tree, showing a middle group's 256 items, sorting and restoring them, and row
// refreshes through the coalesced refresh queue that the bus threads use.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "big_project.h"
#include "bus/row_refresh_queue.h"
#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"
#include "ui/list_texts.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_main_thread.h"
#include "ui/tree_view.h"

namespace {

class QuietPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned, std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::No;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::No;
  }
};

// The window on a document with the big project, as the program makes them.
struct BenchWindow {
  BenchWindow() {
    char pattern[] = "/tmp/zelvox-window-bench-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
    path = dir + "/big.zlv";
    WriteBigProject(path);
    frame = std::make_unique<CMainFrame>(CMainFrame::Services{prompt, dialogs, *settings});
    CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
    services.views = frame.get();
    doc = std::make_unique<CDORAzivazDoc>(services);
    frame->Attach(doc.get());
    frame->resize(1200, 800);
    frame->show();
    QApplication::processEvents();
  }
  ~BenchWindow() {
    frame->ClearViews();
    frame->Attach(nullptr);
    doc.reset();
    frame.reset();
    std::filesystem::remove_all(dir);
  }
  bool Open() {
    const bool opened = doc->OnOpenDocument(path);
    QApplication::processEvents();
    return opened;
  }
  GroupNode& MiddleGroup(int main, int middle) {
    return *doc->Root().m_children.at(main)->m_children.at(middle);
  }

  std::string dir;
  std::string path;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  QuietPrompt prompt;
  QtFileDialogs dialogs;
  QtMainThread mainThread;
  std::unique_ptr<CMainFrame> frame;
  std::unique_ptr<CDORAzivazDoc> doc;
};

void BM_OpenProjectIntoTree(benchmark::State& state) {
  BenchWindow window;
  for (auto _ : state) {
    if (!window.Open()) state.SkipWithError("open failed");
  }
  state.counters["items"] = window.doc->Counters().groupAddresses;
  state.counters["tree_entries"] = window.frame->Tree().topLevelItem(0)->childCount();
}
BENCHMARK(BM_OpenProjectIntoTree)->Unit(benchmark::kMillisecond)->Iterations(3);

// Selecting one middle group after another in the tree: the list empties, shows the group's
// 256 items and paints.
void BM_ShowNodeMiddleGroup(benchmark::State& state) {
  BenchWindow window;
  window.Open();
  int next = 0;
  for (auto _ : state) {
    GroupNode& node = window.MiddleGroup((next / 8) % 32, next % 8);
    ++next;
    window.frame->Tree().setCurrentItem(static_cast<QTreeWidgetItem*>(node.m_treeItem));
    window.frame->List().repaint();
  }
  state.counters["rows"] = window.frame->List().Model().Count();
}
BENCHMARK(BM_ShowNodeMiddleGroup)->Unit(benchmark::kMicrosecond);

// Sorting the shown group by name and restoring its order, 16 rows selected, with a paint.
void BM_SortAndRestore(benchmark::State& state) {
  BenchWindow window;
  window.Open();
  GroupNode& node = window.MiddleGroup(15, 3);
  window.frame->Tree().setCurrentItem(static_cast<QTreeWidgetItem*>(node.m_treeItem));
  ListView& list = window.frame->List();
  for (int row = 0; row < 256; row += 16)
    list.selectionModel()->select(list.model()->index(row, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  for (auto _ : state) {
    list.OnColumnClick(kColName);
    list.repaint();
    list.OnColumnClick(kColName);
    list.repaint();
  }
  state.counters["selected"] = static_cast<double>(list.SelectedItems().size());
}
BENCHMARK(BM_SortAndRestore)->Unit(benchmark::kMicrosecond);

// 2,000 value changes from a worker thread, marked in the refresh queue as the bus worker's
// simulation does, then the main thread's flush and paint: the cost of one second of 2,000
// refreshes.
void BM_RowRefresh2000(benchmark::State& state) {
  BenchWindow window;
  window.Open();
  GroupNode& node = window.MiddleGroup(7, 5);
  window.frame->Tree().setCurrentItem(static_cast<QTreeWidgetItem*>(node.m_treeItem));
  RowRefreshQueue rows(window.mainThread);
  rows.SetViews(window.frame.get());
  std::int32_t value = 0;
  for (auto _ : state) {
    std::thread worker([&] {
      for (int i = 0; i < 2000; ++i) {
        GroupItem& item = *node.m_items[static_cast<std::size_t>(i) % node.m_items.size()];
        {
          std::lock_guard tagLock(window.doc->TagLock());
          item.m_value = Variant::I4(++value);
          item.m_quality = OPC_QUALITY_GOOD;
        }
        rows.Refresh(item);
      }
    });
    worker.join();
    QApplication::processEvents();
    window.frame->List().repaint();
  }
  rows.SetViews(nullptr);
  state.counters["refreshes_per_iteration"] = 2000;
}
BENCHMARK(BM_RowRefresh2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const char* display = getenv("DISPLAY");
  if (!display || !*display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!getenv("ZELVOX_LANG_DIR")) setenv("ZELVOX_LANG_DIR", ZELVOX_LANG_DIR, 1);
  QApplication app(argc, argv);
  std::string error;
  if (!LoadLanguage(0, &error)) {
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
