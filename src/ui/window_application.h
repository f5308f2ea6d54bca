// WindowApplication: zelvox with its main window (no Qt in this header: main() includes it).
#pragma once

#include <functional>
#include <string>

#include "app/command_line.h"

// Whether a window can be shown: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names
// a platform that needs no display server (offscreen, minimal, vnc, ...).
bool WindowDisplayAvailable();

// Starts the application with the splash window and the main window, runs the window until
// it closes (or `stop` is called from another thread) and ends the application. Returns the
// exit code.
class CMainFrame;

class WindowApplication {
 public:
  WindowApplication(CommandLine line, std::string programPath);
  // Runs on the main thread once the window is shown, before the event loop starts (the
  // screenshot program drives the window from here).
  void SetOnShown(std::function<void(CMainFrame&)> onShown) { m_onShown = std::move(onShown); }
  int Run(int& argc, char** argv);
  // Thread-safe: ends the event loop (SIGTERM, SIGINT); the project is not saved.
  static void Stop();

 private:
  CommandLine m_line;
  std::string m_programPath;
  std::function<void(CMainFrame&)> m_onShown;
};
