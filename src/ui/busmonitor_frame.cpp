// CBusmonitorFrame: building the busmonitor window and routing its commands.
#include "ui/busmonitor_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <cctype>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/message_format.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "ui/ansi_text.h"
#include "ui/framework_command_ids.h"
#include "ui/help_file.h"
#include "ui/image_list.h"
#include "ui/menu_builder.h"

namespace {

constexpr unsigned kBusmonitorResource = 175;  // menu and toolbar
constexpr unsigned kStrCountPane = 59144;

QString ToolbarImageName(unsigned id) {
  switch (id) {
    case kCmdBusmonitorSave:
      return "save";
    case kCmdBusmonitorClear:
      return "clear";
    case kCmdBusmonitorPause:
      return "pause";
    case kCmdBusmonitorFilter:
      return "filter";
    case kCmdBusmonitorSettings:
      return "options";
    case kCmdHelp:
      return "help";
    default:
      return {};
  }
}

}  // namespace

CBusmonitorFrame::CBusmonitorFrame(CBusmonitorView::Services services,
                                   std::function<void()> onClosing, QWidget* owner)
    : QMainWindow(owner, Qt::Window), m_services(services), m_onClosing(std::move(onClosing)) {
  setObjectName(QStringLiteral("busmonitor"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Busmonitor"));
  setWindowIcon(ToolbarIcon("busmonitor"));
  m_view = new CBusmonitorView(services, this);
  setCentralWidget(m_view);
  m_view->SetCounterChanged([this](std::int32_t count) { SetCount(count); });
  CreateMenusAndToolbar();
  m_countPane = new QLabel(this);
  statusBar()->addPermanentWidget(m_countPane);
  statusBar()->showMessage(LanguageString(kStrIdle));
  SetCount(0);
}

CBusmonitorFrame::~CBusmonitorFrame() {
  NotifyClosing();
}

QRect CBusmonitorFrame::InitialPlacement(const QRect& screen) {
  const int width = screen.width() / 2;
  const int height = screen.height() / 3;
  return QRect(screen.x() + width / 2, screen.y() + height, width, height);
}

void CBusmonitorFrame::CreateMenusAndToolbar() {
  const auto language = Language();
  if (const Menu* menu = language->FindMenu(kBusmonitorResource)) {
    BuildMenuBar(*menuBar(), *menu, *this, m_actions);
  }
  SetCommandTips(m_actions);
  if (QAction* pause = Action(kCmdBusmonitorPause)) pause->setCheckable(true);
  m_toolbar = addToolBar(QStringLiteral("Toolbar"));
  m_toolbar->setObjectName(QStringLiteral("toolbar175"));
  m_toolbar->setIconSize(QSize(16, 16));
  if (const Toolbar* toolbar = language->FindToolbar(kBusmonitorResource))
    FillToolbar(*m_toolbar, *toolbar, m_actions, ToolbarImageName);
  if (QAction* bar = Action(kCmdViewToolbar)) {
    bar->setCheckable(true);
    bar->setChecked(true);
  }
  if (QAction* bar = Action(kCmdViewStatusBar)) {
    bar->setCheckable(true);
    bar->setChecked(true);
  }
}

QAction* CBusmonitorFrame::Action(unsigned id) const {
  auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

bool CBusmonitorFrame::CommandEnabled(unsigned) const {
  return true;
}

void CBusmonitorFrame::RunCommand(unsigned id) {
  switch (id) {
    case kCmdBusmonitorClose:
      close();
      break;
    case kCmdBusmonitorClear:
      m_view->Clear();
      break;
    case kCmdBusmonitorSettings:
      m_view->RunSettingsDialog();
      break;
    case kCmdBusmonitorPause:
      TogglePause();
      break;
    case kCmdBusmonitorSave:
      m_view->SaveLog();
      break;
    case kCmdBusmonitorFilter:
      m_view->RunFilterDialog();
      break;
    case kCmdHelp:
      ShowHelp();
      break;
    case kCmdViewToolbar:
      m_toolbar->setVisible(!m_toolbar->isVisible());
      if (QAction* bar = Action(id)) bar->setChecked(m_toolbar->isVisible());
      break;
    case kCmdViewStatusBar:
      statusBar()->setVisible(!statusBar()->isVisible());
      if (QAction* bar = Action(id)) bar->setChecked(statusBar()->isVisible());
      break;
    default:
      break;
  }
}

void CBusmonitorFrame::TogglePause() {
  const bool paused = !m_view->Paused();
  m_view->SetPaused(paused);
  if (QAction* pause = Action(kCmdBusmonitorPause)) {
    pause->setChecked(paused);
    // While paused the button shows the resume picture.
    pause->setIcon(ToolbarIcon(paused ? "paused" : "pause"));
  }
}

void CBusmonitorFrame::ShowHelp() {
  const std::int32_t language = m_services.settings.GetInt(kParameterKey, "Language").value_or(0);
  OpenHelpFile(language, m_services.prompt);
}

QString CBusmonitorFrame::CountPaneText() const {
  std::string label = Language()->String(kStrCountPane);
  while (!label.empty() && std::isspace(static_cast<unsigned char>(label.back()))) label.pop_back();
  const FormatArg args[] = {label, static_cast<long>(m_count)};
  return FromAnsi(FormatText("%s %6ld", args));
}

void CBusmonitorFrame::SetCount(std::int32_t count) {
  m_count = count;
  m_countPane->setText(CountPaneText());
}

void CBusmonitorFrame::NotifyClosing() {
  if (!m_onClosing) return;
  const std::function<void()> onClosing = std::move(m_onClosing);
  m_onClosing = nullptr;
  onClosing();
}

void CBusmonitorFrame::closeEvent(QCloseEvent* event) {
  // The reception stops passing lines before the window and its list go.
  NotifyClosing();
  event->accept();
}
