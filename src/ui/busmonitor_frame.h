// CBusmonitorFrame: the busmonitor's top-level window: menu, toolbar, status bar and the list.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>

#include "ui/busmonitor_view.h"
#include "ui/command_router.h"

class QAction;
class QLabel;
class QToolBar;

// The busmonitor's commands.
constexpr unsigned kCmdBusmonitor = 32827;
constexpr unsigned kCmdBusmonitorClose = 32828;
constexpr unsigned kCmdBusmonitorClear = 32831;
constexpr unsigned kCmdBusmonitorSettings = 32832;
constexpr unsigned kCmdBusmonitorPause = 32833;
constexpr unsigned kCmdBusmonitorSave = 32834;
constexpr unsigned kCmdBusmonitorFilter = 32854;

// Made by the busmonitor command of the main window, which owns it; deletes itself when closed.
// `onClosing` runs once when the window closes or goes, before the view goes: from then on no
// line is passed in.
class CBusmonitorFrame : public QMainWindow, public CommandRouter {
  Q_OBJECT

 public:
  CBusmonitorFrame(CBusmonitorView::Services services, std::function<void()> onClosing,
                   QWidget* owner);
  ~CBusmonitorFrame() override;

  CBusmonitorView& View() { return *m_view; }
  QToolBar& ToolBar() { return *m_toolbar; }
  // The telegram count the status bar shows, a copy of the view's counter.
  std::int32_t Count() const { return m_count; }
  // "%s %6ld": the label 59144 without trailing blanks and the count.
  QString CountPaneText() const;
  QAction* Action(unsigned id) const;
  // Where the window first appears: half the screen wide, a third high, in its middle.
  static QRect InitialPlacement(const QRect& screen);

  // CommandRouter.
  void RunCommand(unsigned id) override;
  bool CommandEnabled(unsigned id) const override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenusAndToolbar();
  void TogglePause();
  void ShowHelp();
  void SetCount(std::int32_t count);
  void NotifyClosing();

  CBusmonitorView::Services m_services;
  std::function<void()> m_onClosing;
  CBusmonitorView* m_view = nullptr;
  QToolBar* m_toolbar = nullptr;
  QLabel* m_countPane = nullptr;
  std::map<unsigned, QAction*> m_actions;
  std::int32_t m_count = 0;
};
