// CMainFrame: the main window: menus, toolbar, status bar, the tree and the list, the commands.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/zelvox_application.h"
#include "bus/bus_views.h"
#include "devices/device_views.h"
#include "project/document_views.h"
#include "ui/bus_connect_indicator.h"
#include "ui/command_router.h"
#include "ui/edit_undo_stack.h"
#include "ui/framework_command_ids.h"
#include "ui/qt_edit_dialogs.h"

class BusmonitorOpener;
class CDORAzivazDoc;
class FileDialogs;
class ListView;
class Prompt;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QToolBar;
class QtDeviceAddressDialog;
class SettingsStore;
class TelegramReception;
class TreeView;

// The window is made before the document (which it shows from the document's construction
// on) and attached to it once the document exists. Every call comes on the main thread.
class CMainFrame : public QMainWindow,
                   public DocumentViews,
                   public BusViews,
                   public DeviceViews,
                   public CommandRouter {
  Q_OBJECT

 public:
  struct Services {
    Prompt& prompt;
    FileDialogs& fileDialogs;
    SettingsStore& settings;
    bool startedByClient = false;  // timer 1027 closes the window when the last client went
    // The number of connected OPC clients; empty: the toolkit's count.
    std::function<int()> clientsConnected = {};
  };

  explicit CMainFrame(Services services, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The parts the application makes the document with.
  WindowSeams Seams();
  // The document whose project the window shows and whose commands it runs; null detaches.
  void Attach(CDORAzivazDoc* doc);
  // Where the status bar learns whether the link to the bus interface is up; empty: no link
  // indicator.
  void SetLinkState(std::function<bool()> linkUp);
  // Whether the status bar shows the link as up.
  bool LinkShownUp() const;
  // Where the busmonitor (command 32827) takes its lines from; null before the bus exists.
  void SetTelegramReception(TelegramReception* reception);
  BusmonitorOpener& Busmonitor() { return *m_busmonitor; }
  // A later start asked for this window: restore and activate it.
  void RaiseWindow();
  // The title: the project file's name (or the new project's) followed by " - Zelvox".
  void UpdateTitle();

  // The document attached; null before and after.
  CDORAzivazDoc* Document() const { return m_doc; }
  TreeView& Tree() { return *m_tree; }
  ListView& List() { return *m_list; }
  QSplitter& Splitter() { return *m_splitter; }
  QToolBar& ToolBar() { return *m_toolbar; }
  QProgressBar& Progress() { return *m_progress; }
  // The status bar's queue pane text.
  QString QueuePaneText() const;
  // The action of a command of the main menu or toolbar; null when neither has it.
  QAction* Action(unsigned id) const;
  // The closing sequence's questions; true when the window may close (bus worker stopped).
  bool QueryClose();
  // The recent-file list, newest first.
  std::vector<std::string> RecentFiles() const;
  bool ClientTimerActive() const { return m_clientTimer.isActive(); }

  // CommandRouter.
  void RunCommand(unsigned id) override;
  bool CommandEnabled(unsigned id) const override;

  // DocumentViews.
  void BeginProgress() override;
  void SetProgress(int percent) override;
  void EndProgress() override;
  void RefreshItemType(GroupItem& item) override;
  void RefreshNodeMark(GroupNode& node) override;
  void ClearViews() override;
  void ShowRoot(GroupNode& root, GroupNode& devicesNode) override;
  void RefreshRootName(GroupNode& root) override;
  void NodeAdded(GroupNode& node) override;
  void NodeRemoving(GroupNode& node) override;
  void ShowNodeContent(GroupNode& node) override;
  void ExpandRoot() override;
  void ItemAdded(GroupItem& item) override;
  GroupNode* SelectedNode() override;
  void NodeChanged(GroupNode& node) override;
  void SelectNode(GroupNode& node) override;
  void ItemRemoving(GroupItem& item) override;
  void ItemChanged(GroupItem& item) override;
  std::vector<GroupItem*> SelectedItems() override;

  // BusViews.
  void RefreshItemRow(GroupItem& item) override;
  void UpdateStatus() override;
  void ShowSimulationState(bool on) override;

  // DeviceViews.
  void DeviceAdded(DeviceRecord& device) override;
  void DeviceRemoving(DeviceRecord& device) override;
  void DeviceChanged(DeviceRecord& device) override;
  void ShowDevicesFailed(bool anyFailed) override;
  std::vector<DeviceRecord*> SelectedDevices() override;

 signals:
  // The closing sequence ended with the window closed.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateMenusAndToolbar();
  void UpdateCommandStates();
  void UpdateMenuStates(QMenu& menu);
  void UpdateRecentMenu(QMenu& fileMenu);
  void OnNodeSelected(GroupNode* node);
  int ClientsConnected() const;
  // Whether the bus connection is pumping events while it waits: commands, client timer ticks
  // and closing must not reach the document then.
  bool WaitingForBus() const { return m_switchingInterface || m_connecting.Active(); }
  void OnClientTimer();

  // File commands.
  void FileNew();
  void FileOpen();
  void OpenPath(const std::string& path);
  bool FileSave();
  bool FileSaveAs();
  void AddRecentFile(const std::string& path);
  void OpenRecentFile(int index);
  void ShowHelp();
  void ShowAbout();
  // The list's item commands.
  void TypeCommand(unsigned id);
  void PriorityCommand(unsigned id);
  void InitialReadCommand();
  // Editing: the undo stack fed by the document, the statistics dialog (main_frame_edit.cpp).
  void AttachEditing(CDORAzivazDoc* doc);
  void SetUndoShortcuts();
  bool UndoEdit(bool redo);
  void ShowStatistics();

  void RestoreWindowSettings();
  void SaveWindowSettings();

  Services m_services;
  QtEditDialogs m_editDialogs{m_services.prompt};
  EditUndoStack m_undo;
  CDORAzivazDoc* m_doc = nullptr;
  TreeView* m_tree = nullptr;
  ListView* m_list = nullptr;
  QSplitter* m_splitter = nullptr;
  QToolBar* m_toolbar = nullptr;
  QLabel* m_queuePane = nullptr;
  QLabel* m_linkPane = nullptr;
  std::function<bool()> m_linkUp;
  QProgressBar* m_progress = nullptr;
  std::unique_ptr<BusmonitorOpener> m_busmonitor;
  std::map<unsigned, QAction*> m_actions;
  std::vector<QAction*> m_recentActions;
  QTimer m_clientTimer;  // timer 1027
  std::unique_ptr<QtDeviceAddressDialog> m_deviceDialog;
  // Set while a switch of the bus interface pumps events waiting for the worker threads: no
  // command and no client timer tick runs in between.
  bool m_switchingInterface = false;
  // Active while the bus interface is being opened (at start or by a switch); the same holds.
  BusConnectIndicator m_connecting{*statusBar()};
  bool m_splitterPlaced = false;
  bool m_closing = false;
};
