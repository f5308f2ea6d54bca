// UaServer: the OPC UA server over opc.tcp. One thread runs an epoll event loop that serves
// every client connection, the sessions' timers and the subscriptions' publishing.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "toolkit/c_opc_callback.h"
#include "toolkit/opcua/ua_server_options.h"

class UaServer {
 public:
  UaServer(COPCCallback& callback, UaServerOptions options);
  ~UaServer();
  UaServer(const UaServer&) = delete;
  UaServer& operator=(const UaServer&) = delete;

  // Binds the port and starts the serving thread. False with a message in `error` when the
  // port cannot be bound (for instance because it is taken).
  bool Start(std::string* error);
  // Ends all sessions and connections and joins the serving thread.
  void Stop();
  // The bound port (the chosen one when the options asked for port 0).
  std::uint16_t Port() const { return m_port; }
  std::string EndpointUrl() const;
  // Makes the serving thread look at its clock and timers at once (after an injected clock
  // moved).
  void Wake();

 private:
  class Loop;
  COPCCallback& m_callback;
  UaServerOptions m_options;
  std::unique_ptr<Loop> m_loop;
  std::thread m_thread;
  std::uint16_t m_port = 0;
};
