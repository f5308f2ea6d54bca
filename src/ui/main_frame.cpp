// CMainFrame: frame layout, command routing, file commands, closing sequence and the views.
#include "ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "bus/bus_connection.h"
#include "bus/simulation.h"
#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/message_format.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"
#include "project/eis_type_command.h"
#include "project/file_dialogs.h"
#include "project/group_node.h"
#include "project/item_commands.h"
#include "toolkit/toolkit.h"
#include "ui/about_dialog.h"
#include "ui/ansi_text.h"
#include "ui/busmonitor_opener.h"
#include "ui/help_file.h"
#include "ui/image_list.h"
#include "ui/interface_chooser_dialog.h"
#include "ui/list_view.h"
#include "ui/menu_builder.h"
#include "ui/qt_device_address_dialog.h"
#include "ui/tree_view.h"
#include "ui/window_settings.h"
#include "ui/write_value_command.h"

namespace {

constexpr unsigned kMainMenu = 128;
constexpr unsigned kMainToolbar = 128;
constexpr unsigned kStrDocTemplate = 128;
constexpr unsigned kStrQueuePane = 59146;
constexpr unsigned kStrClientsConnected = 170;
constexpr int kClientTimerPeriodMs = 1000;  // timer 1027

constexpr std::pair<std::int32_t, unsigned> kIntervals[] = {
    {0, 32835}, {15, 32822}, {30, 32823}, {60, 32829}, {120, 32830}};

// Toolbar images by command.
QString ToolbarImageName(unsigned id) {
  switch (id) {
    case kCmdFileNew:
      return "new";
    case kCmdFileOpen:
      return "open";
    case kCmdFileSave:
      return "save";
    case kCmdImportEsf:
      return "import";
    case 32827:
      return "busmonitor";
    case 32778:
      return "options";
    case 32868:
      return "interface";
    case kCmdSimulation:
      return "simulation_off";
    case kCmdHelp:
      return "help";
    case kCmdAbout:
      return "about";
    default:
      return {};
  }
}

bool IsFrameCommand(unsigned id) {
  switch (id) {
    case kCmdFileNew:
    case kCmdFileOpen:
    case kCmdFileSave:
    case kCmdFileSaveAs:
    case kCmdAbout:
    case kCmdExit:
    case kCmdHelp:
    case kCmdViewToolbar:
    case kCmdViewStatusBar:
    case kCmdEditUndo:
    case kCmdEditRedo:
      return true;
    default:
      return id >= kCmdRecentFile1 && id < kCmdRecentFile1 + kRecentFileCount;
  }
}

bool IsItemCommand(unsigned id) {
  return EisTypeCommand(id).has_value() || PriorityOfCommand(id) >= 0 || id == kCmdInitialRead ||
         id == kCmdWriteValue;
}

// The project file dialog's filter and extension from the document template string.
FileDialogRequest ProjectFileRequest(bool allFiles) {
  const auto language = Language();
  const std::string extension = language->StringPart(kStrDocTemplate, 4);  // ".zlv"
  FileDialogRequest request;
  request.filter = language->StringPart(kStrDocTemplate, 3) + "|*" + extension + "|";
  if (allFiles) request.filter += "All Files (*.*)|*.*|";
  request.defaultExtension = extension.empty() ? extension : extension.substr(1);
  return request;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

}  // namespace

CMainFrame::CMainFrame(Services services, QWidget* parent)
    : QMainWindow(parent),
      m_services(std::move(services)),
      m_deviceDialog(std::make_unique<QtDeviceAddressDialog>(m_services.prompt, this)) {
  m_splitter = new QSplitter(Qt::Horizontal, this);
  m_tree = new TreeView(*this, m_splitter);
  m_list = new ListView(*this, m_splitter);
  m_splitter->addWidget(m_tree);
  m_splitter->addWidget(m_list);
  m_splitter->setChildrenCollapsible(false);
  m_editDialogs.SetParent(this);
  setCentralWidget(m_splitter);
  connect(m_tree, &TreeView::NodeSelected, this, [this](GroupNode* node) { OnNodeSelected(node); });
  m_busmonitor = std::make_unique<BusmonitorOpener>(
      CBusmonitorView::Services{m_services.settings, m_services.prompt, m_services.fileDialogs},
      *this);

  CreateMenusAndToolbar();

  m_queuePane = new QLabel(this);
  m_linkPane = new QLabel(this);
  m_linkPane->hide();
  m_progress = new QProgressBar(this);
  m_progress->setRange(0, 100);
  m_progress->setMaximumWidth(240);
  m_progress->hide();
  statusBar()->addPermanentWidget(m_progress);
  statusBar()->addPermanentWidget(m_linkPane);
  statusBar()->addPermanentWidget(m_queuePane);
  statusBar()->showMessage(LanguageString(kStrIdle));
  UpdateStatus();

  setWindowIcon(ToolbarIcon("zelvox"));
  RestoreWindowSettings();
  setTabOrder(m_tree, m_list);
  m_tree->setFocus();

  m_clientTimer.setInterval(kClientTimerPeriodMs);
  connect(&m_clientTimer, &QTimer::timeout, this, [this] { OnClientTimer(); });
  if (m_services.startedByClient) m_clientTimer.start();
  UpdateTitle();
}

// The records may be gone by now: the window forgets them in ClearViews before they go.
CMainFrame::~CMainFrame() = default;

WindowSeams CMainFrame::Seams() {
  WindowSeams seams;
  seams.views = this;
  seams.fileDialogs = &m_services.fileDialogs;
  seams.busViews = this;
  seams.deviceViews = this;
  seams.interfaceChoice = [this](const std::vector<InterfaceInfo>& interfaces,
                                 const std::string& currentName) {
    return InterfaceChooserDialog::Choose(this, interfaces, currentName);
  };
  seams.busSwitchWait = [] {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  seams.busConnecting = [this](bool connecting) { m_connecting.Show(connecting); };
  seams.deviceAddressDialog = m_deviceDialog.get();
  seams.addressDialog = &m_editDialogs;
  seams.nameDialog = &m_editDialogs;
  seams.linksDialog = &m_editDialogs;
  return seams;
}

void CMainFrame::Attach(CDORAzivazDoc* doc) {
  m_doc = doc;
  AttachEditing(doc);
  m_tree->SetDocument(doc);
  m_list->SetDocument(doc);
  if (doc) ShowSimulationState(doc->Simulation());
  if (doc) doc->SetCommand(kCmdBusmonitor, [this] { m_busmonitor->Open(); });
  UpdateStatus();
  UpdateCommandStates();
  UpdateTitle();
}

void CMainFrame::CreateMenusAndToolbar() {
  const auto language = Language();
  if (const Menu* menu = language->FindMenu(kMainMenu)) {
    BuildMenuBar(*menuBar(), *menu, *this, m_actions);
  }
  for (QAction* top : menuBar()->actions()) {
    if (QMenu* menu = top->menu()) {
      connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuStates(*menu); });
    }
  }
  // The desktop's standard shortcuts besides those the menu texts name.
  const std::pair<unsigned, QKeySequence::StandardKey> standard[] = {
      {kCmdFileNew, QKeySequence::New},   {kCmdFileOpen, QKeySequence::Open},
      {kCmdFileSave, QKeySequence::Save}, {kCmdFileSaveAs, QKeySequence::SaveAs},
      {kCmdExit, QKeySequence::Quit},     {kCmdHelp, QKeySequence::HelpContents}};
  for (const auto& [id, key] : standard) {
    QAction* action = Action(id);
    if (action && action->shortcut().isEmpty()) action->setShortcut(QKeySequence(key));
  }
  SetUndoShortcuts();
  SetCommandTips(m_actions);

  m_toolbar = addToolBar(QStringLiteral("Toolbar"));
  m_toolbar->setObjectName(QStringLiteral("toolbar128"));
  m_toolbar->setIconSize(QSize(16, 16));
  if (const Toolbar* toolbar = language->FindToolbar(kMainToolbar))
    FillToolbar(*m_toolbar, *toolbar, m_actions, ToolbarImageName);
  if (QAction* simulation = Action(kCmdSimulation)) simulation->setCheckable(true);
}

QAction* CMainFrame::Action(unsigned id) const {
  auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::UpdateCommandStates() {
  for (auto& [id, action] : m_actions) action->setEnabled(CommandEnabled(id));
  if (QAction* simulation = Action(kCmdSimulation)) {
    simulation->setChecked(m_doc && m_doc->Simulation());
  }
}

void CMainFrame::UpdateMenuStates(QMenu& menu) {
  UpdateCommandStates();
  const std::int32_t seconds = m_doc ? m_doc->Settings().pingTime : -1;
  for (const auto& [interval, command] : kIntervals) {
    if (QAction* action = FindCommandAction(menu, command)) {
      action->setCheckable(true);
      action->setChecked(interval == seconds);
    }
  }
  if (QAction* action = FindCommandAction(menu, kCmdViewToolbar)) {
    action->setCheckable(true);
    action->setChecked(m_toolbar->isVisible());
  }
  if (QAction* action = FindCommandAction(menu, kCmdViewStatusBar)) {
    action->setCheckable(true);
    action->setChecked(statusBar()->isVisible());
  }
  if (FindCommandAction(menu, kCmdRecentFile1)) UpdateRecentMenu(menu);
}

void CMainFrame::UpdateRecentMenu(QMenu& fileMenu) {
  QAction* placeholder = Action(kCmdRecentFile1);
  for (QAction* action : m_recentActions) delete action;
  m_recentActions.clear();
  const std::vector<std::string> files = RecentFiles();
  placeholder->setVisible(files.empty());
  placeholder->setEnabled(false);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const QString text =
        QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(FromAnsi(files[i])).fileName());
    auto* action = new QAction(text, &fileMenu);
    action->setToolTip(FromAnsi(files[i]));
    const int index = static_cast<int>(i);
    connect(action, &QAction::triggered, this, [this, index] { OpenRecentFile(index); });
    fileMenu.insertAction(placeholder, action);
    m_recentActions.push_back(action);
  }
}

bool CMainFrame::CommandEnabled(unsigned id) const {
  if (id == kCmdEditUndo) return m_doc && m_undo.CanUndo();
  if (id == kCmdEditRedo) return m_doc && m_undo.CanRedo();
  if (IsFrameCommand(id)) return true;
  if (!m_doc) return false;
  if (IsItemCommand(id)) return m_list->HasSelectedItems();
  return m_doc->HasCommand(id);
}

void CMainFrame::RunCommand(unsigned id) {
  if (WaitingForBus() || !CommandEnabled(id)) return;
  switch (id) {
    case kCmdFileNew:
      FileNew();
      break;
    case kCmdFileOpen:
      FileOpen();
      break;
    case kCmdFileSave:
      FileSave();
      break;
    case kCmdFileSaveAs:
      FileSaveAs();
      break;
    case kCmdExit:
      close();
      break;
    case kCmdHelp:
      ShowHelp();
      break;
    case kCmdAbout:
      ShowAbout();
      break;
    case kCmdViewToolbar:
      m_toolbar->setVisible(!m_toolbar->isVisible());
      break;
    case kCmdViewStatusBar:
      statusBar()->setVisible(!statusBar()->isVisible());
      break;
    case kCmdInitialRead:
      InitialReadCommand();
      break;
    case kCmdWriteValue:
      WriteValueCommand(*m_doc, *m_list, m_services.prompt, this);
      break;
    case kCmdSwitchInterface:
      m_switchingInterface = true;
      m_doc->OnCommand(id);
      m_switchingInterface = false;
      UpdateStatus();
      break;
    case kCmdEditUndo:
    case kCmdEditRedo:
      UndoEdit(id == kCmdEditRedo);
      break;
    default:
      if (id >= kCmdRecentFile1 && id < kCmdRecentFile1 + kRecentFileCount) {
        OpenRecentFile(static_cast<int>(id - kCmdRecentFile1));
      } else if (EisTypeCommand(id)) {
        TypeCommand(id);
      } else if (PriorityOfCommand(id) >= 0) {
        PriorityCommand(id);
      } else if (m_doc) {
        m_doc->OnCommand(id);
      }
      break;
  }
  UpdateCommandStates();
  UpdateTitle();
}

// --- File commands --------------------------------------------------------------------------

void CMainFrame::FileNew() {
  if (!m_doc->SaveModified()) return;
  m_doc->OnNewDocument();
}

void CMainFrame::FileOpen() {
  FileDialogRequest request = ProjectFileRequest(true);
  request.mustExist = true;
  const std::optional<std::string> path = m_services.fileDialogs.OpenFile(request);
  if (path) OpenPath(*path);
}

void CMainFrame::OpenPath(const std::string& path) {
  if (!m_doc->SaveModified()) return;
  if (m_doc->OnOpenDocument(path)) AddRecentFile(path);
}

bool CMainFrame::FileSave() {
  if (m_doc->PathName().empty()) return FileSaveAs();
  return m_doc->OnSaveDocument(m_doc->PathName());
}

bool CMainFrame::FileSaveAs() {
  FileDialogRequest request = ProjectFileRequest(false);
  request.defaultFileName = m_doc->PathName().empty()
                                ? m_doc->Root().m_name + "." + request.defaultExtension
                                : m_doc->PathName();
  request.mustExist = false;
  const std::optional<std::string> path = m_services.fileDialogs.SaveFile(request);
  if (!path || !m_doc->OnSaveDocument(*path)) return false;
  AddRecentFile(*path);
  return true;
}

std::vector<std::string> CMainFrame::RecentFiles() const {
  std::vector<std::string> files;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const auto file = m_services.settings.GetText(kRecentFileKey, "File" + std::to_string(i));
    if (file && !file->empty()) files.push_back(*file);
  }
  return files;
}

void CMainFrame::AddRecentFile(const std::string& path) {
  std::error_code ec;
  const std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
  std::vector<std::string> files = RecentFiles();
  files.erase(std::remove(files.begin(), files.end(), full), files.end());
  files.insert(files.begin(), full);
  if (files.size() > static_cast<std::size_t>(kRecentFileCount)) files.resize(kRecentFileCount);
  for (int i = 0; i < kRecentFileCount; ++i) {
    const std::string name = "File" + std::to_string(i + 1);
    if (i < static_cast<int>(files.size())) {
      m_services.settings.SetText(kRecentFileKey, name, files[i]);
    } else {
      m_services.settings.DeleteValue(kRecentFileKey, name);
    }
  }
}

void CMainFrame::OpenRecentFile(int index) {
  const std::vector<std::string> files = RecentFiles();
  if (!m_doc || index < 0 || index >= static_cast<int>(files.size())) return;
  OpenPath(files[index]);
  UpdateTitle();
}

void CMainFrame::UpdateTitle() {
  QString name;
  if (m_doc && !m_doc->PathName().empty()) {
    name = QFileInfo(FromAnsi(m_doc->PathName())).fileName();
  } else {
    name = FromAnsi(Language()->StringPart(kStrDocTemplate, 1));
    if (name.isEmpty()) name = QStringLiteral("Untitled");
  }
  QString application = LanguageString(kStrApplicationTitle);
  if (application.isEmpty()) application = QStringLiteral("Zelvox");
  setWindowTitle(name + QStringLiteral(" - ") + application);
}

void CMainFrame::ShowHelp() {
  const std::int32_t language = m_services.settings.GetInt(kParameterKey, "Language").value_or(0);
  OpenHelpFile(language, m_services.prompt);
}

void CMainFrame::ShowAbout() {
  ShowAboutDialog(this);
}

// --- Item commands --------------------------------------------------------------------------

void CMainFrame::TypeCommand(unsigned id) {
  const std::vector<GroupItem*> items = m_list->SelectedItems();
  DocumentEditPtr edit;
  ApplyEisTypeCommand(*m_doc, items, id, this, &edit);
  m_doc->RecordEdit(std::move(edit));
  for (GroupItem* item : items) m_list->RefreshWholeRow(*item);
}

void CMainFrame::PriorityCommand(unsigned id) {
  const std::vector<GroupItem*> items = m_list->SelectedItems();
  DocumentEditPtr edit;
  if (ApplyPriorityCommand(*m_doc, items, id, &edit) == 0) return;
  m_doc->RecordEdit(std::move(edit));
  for (GroupItem* item : items) m_list->RefreshWholeRow(*item);
  m_list->SortList();
}

void CMainFrame::InitialReadCommand() {
  const std::vector<GroupItem*> items = m_list->SelectedItems();
  DocumentEditPtr edit;
  ToggleInitialRead(*m_doc, items, &edit);
  m_doc->RecordEdit(std::move(edit));
  for (GroupItem* item : items) m_list->RefreshWholeRow(*item);
}

// --- Closing --------------------------------------------------------------------------------

int CMainFrame::ClientsConnected() const {
  return m_services.clientsConnected ? m_services.clientsConnected() : ToolkitClientsConnected();
}

void CMainFrame::OnClientTimer() {
  if (WaitingForBus() || ClientsConnected() != 0) return;
  m_clientTimer.stop();
  RunCommand(kCmdExit);
}

bool CMainFrame::QueryClose() {
  if (ClientsConnected() != 0 &&
      m_services.prompt.Ask(kStrClientsConnected, {}, PromptKind::Question, PromptButtons::YesNo) !=
          PromptAnswer::Yes)
    return false;
  if (m_doc && !m_doc->SaveModified()) return false;
  if (m_doc) {
    m_doc->StopBusWorker();
    m_doc->SetModifiedFlag(false);
  }
  return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_closing || WaitingForBus() || !QueryClose()) {
    event->ignore();
    return;
  }
  m_closing = true;
  m_clientTimer.stop();
  SaveWindowSettings();
  event->accept();
  emit Closed();
}

// --- Window settings ------------------------------------------------------------------------

void CMainFrame::RestoreWindowSettings() {
  SettingsStore& store = m_services.settings;
  // The first start: wide enough for the list's columns, within the screen.
  const QRect screen =
      this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
  const int width =
      store.GetInt(kWindowKey, "WindowWidth").value_or(std::min(1200, screen.width() * 9 / 10));
  const int height =
      store.GetInt(kWindowKey, "WindowHeight").value_or(std::min(760, screen.height() * 9 / 10));
  resize(std::max(width, 200), std::max(height, 150));
  if (store.GetInt(kWindowKey, "WindowMaximized").value_or(0) != 0)
    setWindowState(windowState() | Qt::WindowMaximized);
  m_list->RestoreColumnWidths(store);
}

void CMainFrame::SaveWindowSettings() {
  SettingsStore& store = m_services.settings;
  const bool maximized = isMaximized();
  const QSize size = maximized ? normalGeometry().size() : this->size();
  store.SetInt(kWindowKey, "WindowWidth", size.width());
  store.SetInt(kWindowKey, "WindowHeight", size.height());
  store.SetInt(kWindowKey, "WindowMaximized", maximized ? 1 : 0);
  const QList<int> sizes = m_splitter->sizes();
  if (sizes.size() == 2) store.SetInt(kWindowKey, "SplitterPosition", sizes[0]);
  m_list->SaveColumnWidths(store);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_splitterPlaced) return;
  m_splitterPlaced = true;
  // One third for the tree, two thirds for the list, unless the user moved the splitter.
  const int width = m_splitter->width();
  const int saved = m_services.settings.GetInt(kWindowKey, "SplitterPosition").value_or(-1);
  const int left = saved > 0 && saved < width ? saved : width / 3;
  m_splitter->setSizes({left, width - left});
  // The list's columns take their shares of its width once the layout has given it one.
  QTimer::singleShot(0, this, [this] { m_list->FitColumnsOnce(); });
}

void CMainFrame::RaiseWindow() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

// --- DocumentViews --------------------------------------------------------------------------

void CMainFrame::BeginProgress() {
  m_progress->show();
  m_progress->setValue(0);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::SetProgress(int percent) {
  m_progress->setValue(std::clamp(percent, 0, 100));
  // The import runs on the main thread: the window repaints between its steps.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::EndProgress() {
  m_progress->setValue(100);
  m_progress->hide();
}

void CMainFrame::RefreshItemType(GroupItem& item) {
  m_list->RefreshWholeRow(item);
}

void CMainFrame::RefreshNodeMark(GroupNode& node) {
  m_tree->RefreshNodeMark(node);
}

void CMainFrame::ClearViews() {
  // The edits kept for undo name records that go with the project.
  m_undo.Clear();
  m_list->ShowNode(nullptr);
  m_tree->ClearTree();
}

void CMainFrame::ShowRoot(GroupNode& root, GroupNode& devicesNode) {
  m_list->ShowNode(nullptr);
  m_tree->ShowRoot(root, devicesNode);
}

void CMainFrame::RefreshRootName(GroupNode& root) {
  m_tree->RefreshName(root);
}

void CMainFrame::NodeAdded(GroupNode& node) {
  m_tree->NodeAdded(node);
}

void CMainFrame::NodeRemoving(GroupNode& node) {
  for (GroupNode* shown = m_list->CurrentNode(); shown; shown = shown->m_parent) {
    if (shown == &node) {
      m_list->ShowNode(nullptr);
      break;
    }
  }
  m_tree->NodeRemoving(node);
}

void CMainFrame::ShowNodeContent(GroupNode& node) {
  m_list->ShowNode(&node);
}

void CMainFrame::ExpandRoot() {
  m_tree->ExpandRoot();
}

void CMainFrame::ItemAdded(GroupItem& item) {
  m_list->ItemAdded(item);
}

GroupNode* CMainFrame::SelectedNode() {
  return m_tree->SelectedNode();
}

void CMainFrame::OnNodeSelected(GroupNode* node) {
  m_list->Empty();
  m_list->ShowNode(node);
  UpdateCommandStates();
}

// --- BusViews -------------------------------------------------------------------------------

void CMainFrame::RefreshItemRow(GroupItem& item) {
  m_list->RefreshItemRow(item);
}

QString CMainFrame::QueuePaneText() const {
  const long waiting = m_doc ? static_cast<long>(m_doc->Requests().Size()) : 0;
  const FormatArg args[] = {TrimRight(Language()->String(kStrQueuePane)), waiting};
  return FromAnsi(FormatText("%s %6ld", args));
}

void CMainFrame::UpdateStatus() {
  m_queuePane->setText(QueuePaneText());
  if (!m_linkUp) return;
  // The interface's image, greyed while the link is down (the interface reconnects).
  const bool up = m_linkUp();
  m_linkPane->setEnabled(up);
  m_linkPane->setPixmap(
      ToolbarIcon("interface").pixmap(16, 16, up ? QIcon::Normal : QIcon::Disabled));
  m_linkPane->show();
}

void CMainFrame::SetLinkState(std::function<bool()> linkUp) {
  m_linkUp = std::move(linkUp);
  if (!m_linkUp) m_linkPane->hide();
  UpdateStatus();
}

void CMainFrame::SetTelegramReception(TelegramReception* reception) {
  m_busmonitor->SetReception(reception);
}

bool CMainFrame::LinkShownUp() const {
  return m_linkUp && m_linkPane->isEnabled();
}

void CMainFrame::ShowSimulationState(bool on) {
  if (QAction* simulation = Action(kCmdSimulation)) {
    simulation->setCheckable(true);
    simulation->setChecked(on);
    simulation->setIcon(ToolbarIcon(on ? "simulation_on" : "simulation_off"));
  }
}

// --- DeviceViews ----------------------------------------------------------------------------

void CMainFrame::DeviceAdded(DeviceRecord& device) {
  m_list->DeviceAdded(device);
}

void CMainFrame::DeviceRemoving(DeviceRecord& device) {
  m_list->DeviceRemoving(device);
}

void CMainFrame::DeviceChanged(DeviceRecord& device) {
  m_list->DeviceChanged(device);
}

void CMainFrame::ShowDevicesFailed(bool anyFailed) {
  m_tree->ShowDevicesFailed(anyFailed);
}

std::vector<DeviceRecord*> CMainFrame::SelectedDevices() {
  return m_list->SelectedDevices();
}
