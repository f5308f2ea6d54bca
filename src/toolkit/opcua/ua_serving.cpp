// The toolkit's OPC UA serving: configuration, start with a clear error, and stop.
#include <memory>
#include <mutex>
#include <optional>

#include "toolkit/opcua/ua_server.h"
#include "toolkit/toolkit.h"

namespace {
struct Serving {
  std::mutex mutex;
  std::optional<UaServerOptions> options;
  std::unique_ptr<UaServer> server;
};

Serving& State() {
  static Serving serving;
  return serving;
}
}  // namespace

void ToolkitConfigureServer(const UaServerOptions& options) {
  Serving& s = State();
  std::lock_guard lock(s.mutex);
  s.options = options;
}

bool ToolkitStartServing(COPCCallback* callback, std::string* error) {
  ToolkitStart(callback);
  Serving& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.options || callback == nullptr || s.server) return true;
  UaServerOptions options = *s.options;
  options.onSessionOpened = [] { ToolkitClientConnected(); };
  options.onSessionClosed = [] { ToolkitClientDisconnected(); };
  auto server = std::make_unique<UaServer>(*callback, std::move(options));
  if (!server->Start(error)) return false;
  s.server = std::move(server);
  return true;
}

void ToolkitStopServing() {
  Serving& s = State();
  std::unique_ptr<UaServer> server;
  {
    std::lock_guard lock(s.mutex);
    server = std::move(s.server);
  }
  // Joining the serving thread outside the lock: it may call back into the toolkit.
  if (server) server->Stop();
}

std::uint16_t ToolkitServingPort() {
  Serving& s = State();
  std::lock_guard lock(s.mutex);
  return s.server ? s.server->Port() : 0;
}
