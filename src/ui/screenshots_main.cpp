// main() of zelvox-screenshots: the windows on a project, pictured for the documentation.
//   zelvox-screenshots <output-dir> [zelvox options] <project>
// Runs the window as zelvox does (simulation with --simulate), lets the values come in, and
// saves main_window.png (tree expanded, a middle group selected), type_menu.png (the EIS type
// menu of two selected rows open), busmonitor.png (simulation off, the group's values
// written to the bus) and interface_chooser.png in <output-dir>; then closes the window. Ends
// unsuccessfully when the pictures are not taken within kWatchdog (a message box waiting for an
// answer, say).
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "bus/simulation.h"
#include "knx/bus_component.h"
#include "knx/driver_interface_chooser.h"
#include "knx/knxnetip/knxnetip_interface.h"
#include "platform/settings_store.h"
#include "platform/variant.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "ui/busmonitor_frame.h"
#include "ui/busmonitor_opener.h"
#include "ui/interface_chooser_dialog.h"
#include "ui/list_texts.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/tree_view.h"
#include "ui/window_application.h"

namespace {

constexpr int kValuesWaitMs = 2500;
constexpr int kTelegramsWaitMs = 1500;
constexpr auto kWatchdog = std::chrono::seconds(90);

bool Save(const QPixmap& picture, const QString& path) {
  if (picture.save(path)) {
    std::cerr << "zelvox-screenshots: saved " << path.toStdString() << '\n';
    return true;
  }
  std::cerr << "zelvox-screenshots: could not save " << path.toStdString() << '\n';
  return false;
}

// The middle group the pictures show: the first whose first two items have 16 bits (values
// with decimals, and a type menu of its own), else the first with two items.
QTreeWidgetItem* PictureGroup(TreeView& tree) {
  QTreeWidgetItem* fallback = nullptr;
  for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
    GroupNode* node = TreeView::NodeOf(*it);
    if (!node || !node->m_parent || !node->m_parent->m_parent || node->m_items.size() < 2) continue;
    if (node->m_items[0]->m_size == 16 && node->m_items[1]->m_size == 16) return *it;
    if (!fallback) fallback = *it;
  }
  return fallback;
}

// The bus interface chooser with the KNXnet/IP interface selected; then the window closes.
void ChooserPicture(CMainFrame& frame, const QString& dir, bool* ok) {
  DriverInterfaceChooser chooser(BusComponent::Default(), SettingsStore::Of(Hive::CurrentUser));
  auto* dialog =
      new InterfaceChooserDialog(chooser.Interfaces(), knxnetip::kKnxNetIpTunnellingName, &frame);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  QTimer::singleShot(300, &frame, [&frame, dir, ok, dialog] {
    *ok = Save(dialog->grab(), dir + "/interface_chooser.png") && *ok;
    dialog->close();
    frame.close();
  });
}

// The busmonitor with the confirmations of writes of the shown group's simulated values:
// simulation goes off (which clears the values), so that the writes reach the bus.
void TakeBusmonitorPicture(CMainFrame& frame, const QString& dir, bool* ok) {
  frame.RunCommand(kCmdBusmonitor);
  CBusmonitorFrame* monitor = frame.Busmonitor().Frame();
  CDORAzivazDoc* doc = frame.Document();
  GroupNode* node = frame.List().CurrentNode();
  if (!monitor || !doc || !node) {
    std::cerr << "zelvox-screenshots: the busmonitor did not open\n";
    *ok = false;
    frame.close();
    return;
  }
  std::vector<std::pair<GroupItem*, Variant>> writes;
  {
    std::lock_guard tagLock(doc->TagLock());
    for (const auto& item : node->m_items) {
      if (!item->m_value.IsEmpty()) writes.emplace_back(item.get(), item->m_value);
    }
  }
  if (doc->Simulation()) frame.RunCommand(kCmdSimulation);
  {
    std::lock_guard tagLock(doc->TagLock());
    for (auto& [item, value] : writes) doc->QueueWrite(*item, value);
  }
  QTimer::singleShot(kTelegramsWaitMs, &frame, [&frame, monitor, dir, ok] {
    *ok = Save(monitor->grab(), dir + "/busmonitor.png") && *ok;
    ChooserPicture(frame, dir, ok);
  });
}

void TakePictures(CMainFrame& frame, const QString& dir, bool* ok) {
  frame.Tree().expandAll();
  QTreeWidgetItem* group = PictureGroup(frame.Tree());
  if (!group) {
    std::cerr << "zelvox-screenshots: the project has no middle group with two items\n";
    *ok = false;
    frame.close();
    return;
  }
  frame.Tree().setCurrentItem(group);
  QTimer::singleShot(kValuesWaitMs, &frame, [&frame, dir, ok] {
    ListView& list = frame.List();
    list.selectionModel()->select(list.model()->index(0, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    *ok = Save(frame.grab(), dir + "/main_window.png") && *ok;

    list.selectionModel()->select(list.model()->index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    std::unique_ptr<QMenu> menu = list.ContextMenu(0, kColType);
    const QRect cell = list.visualRect(list.model()->index(0, kColType));
    menu->popup(list.viewport()->mapToGlobal(cell.center()));
    QApplication::processEvents();
    QTimer::singleShot(
        300, &frame, [&frame, dir, ok, shown = std::shared_ptr<QMenu>(std::move(menu))] {
          // The pop-up is a window of its own: the picture is taken of the screen around both.
          const QRect area = frame.frameGeometry().united(shown->geometry());
          QScreen* screen = QGuiApplication::primaryScreen();
          *ok = Save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
                     dir + "/type_menu.png") &&
                *ok;
          shown->close();
          TakeBusmonitorPicture(frame, dir, ok);
        });
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: zelvox-screenshots <output-dir> [zelvox options] <project>\n";
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 2, argv + argc));
  if (!line.error.empty()) {
    std::cerr << "zelvox-screenshots: " << line.error << '\n';
    return 2;
  }
  if (!WindowDisplayAvailable()) {
    std::cerr << "zelvox-screenshots: no display; run it under xvfb-run\n";
    return 2;
  }
  QDir().mkpath(dir);
  bool ok = true;
  // The watchdog ends the window when the pictures take too long.
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::atomic<bool> timedOut{false};
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (ended.wait_for(lock, kWatchdog, [&] { return done; })) return;
    timedOut = true;
    std::cerr << "zelvox-screenshots: no pictures after " << kWatchdog.count()
              << " s; is a message box waiting?\n";
    WindowApplication::Stop();
  });
  WindowApplication window(line, argv[0]);
  window.SetOnShown([dir, &ok](CMainFrame& frame) { TakePictures(frame, dir, &ok); });
  int qtArgc = 1;
  const int code = window.Run(qtArgc, argv);
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  ended.notify_one();
  watchdog.join();
  if (timedOut) return 1;
  return code != 0 ? code : (ok ? 0 : 1);
}
