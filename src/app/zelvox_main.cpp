// zelvox: the server. Headless for now: zelvox --headless [--simulate] [--port N] [PROJECT.zlv]
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "app/headless_server.h"
#include "app/signal_watcher.h"

namespace {

constexpr const char* kUsage =
    "usage: zelvox --headless [--simulate] [--port N] [--listen-any] [PROJECT.zlv]\n";

bool ParseArguments(int argc, char** argv, HeadlessOptions& options, bool& headless) {
  options.programPath = argv[0];
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--headless") {
      headless = true;
    } else if (arg == "--simulate") {
      options.simulate = true;
    } else if (arg == "--listen-any") {
      options.listenAny = true;
    } else if (arg == "--port" && i + 1 < argc) {
      char* end = nullptr;
      const long port = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || port < 0 || port > 65535) return false;
      options.port = static_cast<std::uint16_t>(port);
    } else if (!arg.starts_with("-") && options.projectPath.empty()) {
      options.projectPath = arg;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  SignalWatcher::Block();
  HeadlessOptions options;
  bool headless = false;
  if (!ParseArguments(argc, argv, options, headless) || !headless) {
    std::cerr << kUsage;
    return 2;
  }
  HeadlessServer server(options, std::cerr);
  SignalWatcher signals([&server] { server.Loop().Quit(0); });
  return server.Run();
}
