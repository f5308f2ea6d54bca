// main() of zelvox: the server; headless as a service, or with its window once there is one.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_service.h"
#include "app/signal_watcher.h"
#include "app/zelvox_application.h"

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
  // Registration needs no window; everything else does until the window is built in.
  if (!line.headless && line.registration == Registration::None) {
    std::cerr << "zelvox: this build has no main window; start the server with --headless\n"
              << CommandLineUsage();
    return kExitUsage;
  }
  HeadlessService service(line, ProgramPath(argv[0]), std::cerr);
  SignalWatcher signals([&service] { service.Stop(); });
  return service.Run();
}
