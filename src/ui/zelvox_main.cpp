// main() of zelvox: the server; with its main window, or headless as a service.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_service.h"
#include "app/signal_watcher.h"
#include "app/zelvox_application.h"
#include "ui/window_application.h"

namespace {

// The program's absolute path, written into the registration for a client to start it by.
std::string ProgramPath(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return exe.string();
  return std::filesystem::absolute(argv0, ec).string();
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread starts, so that only the watcher thread receives the stop signals.
  SignalWatcher::Block();
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::cout << CommandLineUsage();
    return kExitOk;
  }
  if (!line.error.empty()) {
    std::cerr << "zelvox: " << line.error << '\n' << CommandLineUsage();
    return kExitUsage;
  }
  // Registration needs no window.
  if (!line.headless && line.registration == Registration::None) {
    if (!WindowDisplayAvailable()) {
      std::cerr << "zelvox: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
                   "unset); start the server with --headless\n";
      return kExitUsage;
    }
    WindowApplication window(line, ProgramPath(argv[0]));
    SignalWatcher signals([] { WindowApplication::Stop(); });
    return window.Run(argc, argv);
  }
  HeadlessService service(line, ProgramPath(argv[0]), std::cerr);
  SignalWatcher signals([&service] { service.Stop(); });
  return service.Run();
}
