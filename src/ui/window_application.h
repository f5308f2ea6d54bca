// WindowApplication: zelvox with its main window (no Qt in this header: main() includes it).
#pragma once

#include <string>

#include "app/command_line.h"

// Whether a window can be shown: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names
// a platform that needs no display server (offscreen, minimal, vnc, ...).
bool WindowDisplayAvailable();

// Starts the application with the splash window and the main window, runs the window until
// it closes (or `stop` is called from another thread) and ends the application. Returns the
// exit code.
class WindowApplication {
 public:
  WindowApplication(CommandLine line, std::string programPath);
  int Run(int& argc, char** argv);
  // Thread-safe: ends the event loop (SIGTERM, SIGINT); the project is not saved.
  static void Stop();

 private:
  CommandLine m_line;
  std::string m_programPath;
};
