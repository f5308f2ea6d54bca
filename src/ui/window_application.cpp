// WindowApplication: the start order with a window, the event loop and the end.
#include "ui/window_application.h"

#include <QApplication>
#include <QDialog>
#include <QMetaObject>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string_view>

#include "app/app_settings.h"
#include "app/zelvox_application.h"
#include "bus/bus_link.h"
#include "platform/code_page.h"
#include "platform/current_language.h"
#include "platform/language_files.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"
#include "ui/main_frame.h"
#include "ui/message_box_prompt.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_language_dialog.h"
#include "ui/qt_main_thread.h"
#include "ui/qt_options_dialog.h"
#include "ui/splash_window.h"

bool WindowDisplayAvailable() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY")) return true;
  if (!set("QT_QPA_PLATFORM")) return false;
  const std::string_view platform = std::getenv("QT_QPA_PLATFORM");
  return !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

WindowApplication::WindowApplication(CommandLine line, std::string programPath)
    : m_line(std::move(line)), m_programPath(std::move(programPath)) {}

namespace {

std::atomic<bool> g_stopRequested{false};

}  // namespace

void WindowApplication::Stop() {
  g_stopRequested = true;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  QMetaObject::invokeMethod(
      app,
      [] {
        // A message box waiting for an answer would keep its own event loop running.
        for (int open = 0; open < 16; ++open) {
          QWidget* modal = QApplication::activeModalWidget();
          if (!modal) break;
          if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
          } else {
            modal->close();
          }
          QApplication::processEvents();
        }
        QCoreApplication::exit(0);
      },
      Qt::QueuedConnection);
}

int WindowApplication::Run(int& argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zelvox"));
  QApplication::setQuitOnLastWindowClosed(false);
  QtMainThread mainThread;
  MessageBoxPrompt prompt;
  QtFileDialogs dialogs;

  // A plain start shows the splash picture; a start by a client does not.
  std::unique_ptr<SplashWindow> splash;
  if (!m_line.startedByClient) {
    splash = std::make_unique<SplashWindow>();
    if (splash->HasPicture()) {
      splash->show();
      QApplication::processEvents();
    } else {
      splash.reset();
    }
  }

  // The menus are built from the language file, so it is read before the window is made;
  // InitInstance reads it again and reports a missing file.
  SettingsStore& store = SettingsStore::Of(Hive::CurrentUser);
  const std::int32_t language = ReadStartSettings(store).language;
  std::string error;
  LoadLanguage(LanguageFileName(language).empty() ? 0 : language, &error);

  auto frame = std::make_unique<CMainFrame>(
      CMainFrame::Services{prompt, dialogs, store, m_line.startedByClient});
  CMainFrame* window = frame.get();
  prompt.SetParent(window);
  dialogs.SetParent(window);
  QObject::connect(window, &CMainFrame::Closed, &qapp, &QCoreApplication::quit);
  QtOptionsDialog optionsDialog(window);
  QtLanguageDialog languageDialog(window);

  ZelvoxApplication app(m_line, m_programPath, prompt);
  app.SetWindow(window->Seams());
  auto end = [&] {
    // Stopped by a signal, the window asked nothing: a modified project stays unsaved.
    CDORAzivazDoc* doc = app.Document();
    if (g_stopRequested && doc && doc->IsModified()) {
      const std::string name = doc->PathName().empty() ? "the new project" : doc->PathName();
      std::cerr << "zelvox: the project was changed but not saved; " << AnsiToUtf8(name)
                << " is left as it was" << std::endl;
    }
    // The busmonitor and the dialogs go before the bus and the settings commands.
    window->SetTelegramReception(nullptr);
    if (SettingsCommands* settings = app.Settings()) settings->SetDialogs(nullptr, nullptr);
    // The rows and entries forget the project's records before the document takes them down.
    window->ClearViews();
    window->SetLinkState({});
    window->Attach(nullptr);
    app.ExitInstance();
  };
  if (const std::optional<int> ended =
          app.InitInstance(mainThread, [window] { window->RaiseWindow(); })) {
    splash.reset();
    end();
    return *ended;
  }

  window->Attach(app.Document());
  if (app.Bus()) window->SetTelegramReception(&app.Bus()->Reception());
  if (SettingsCommands* settings = app.Settings())
    settings->SetDialogs(&optionsDialog, &languageDialog);
  window->SetLinkState([&app] { return app.Bus() && app.Bus()->Connection().LinkUp(); });
  std::cerr << "zelvox: serving " << app.Endpoint() << std::endl;
  switch (app.WindowShowMode()) {
    case ShowMode::Normal:
      window->show();
      break;
    case ShowMode::Minimized:
      window->showMinimized();
      break;
    case ShowMode::Hidden:
      break;
  }
  QApplication::processEvents();
  if (splash) {
    splash->finish(window);
    splash.reset();
    window->update();
  }

  if (m_onShown) m_onShown(*window);
  const int code = g_stopRequested ? 0 : qapp.exec();
  window->hide();
  end();
  return code;
}
