// HeadlessServer: the server without a window: language, OPC callback, bus link, device check,
// document, OPC UA serving, and the event loop that runs until a stop signal.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "platform/event_loop.h"

struct HeadlessOptions {
  std::string programPath;  // argv[0], for the toolkit's registration
  std::string projectPath;  // empty: an empty project
  bool simulate = false;    // start in simulation mode
  std::uint16_t port = 4840;
  bool listenAny = false;
};

// Run() builds everything in start-up order, serves until Loop().Quit(), and takes it down in
// reverse: serving stopped, bus worker stopped, document destroyed (device check thread ended,
// bus disconnected). The bus link connects to the component's default interface: the one
// stored in the settings, else the first registered driver, the virtual bus.
class HeadlessServer {
 public:
  HeadlessServer(HeadlessOptions options, std::ostream& err);
  ~HeadlessServer();

  // 0 after a stop by Loop().Quit(); 1 when the language, the project or the OPC UA port
  // could not be had (the reason is written to `err`).
  int Run();
  // Thread-safe Quit() ends Run().
  EventLoop& Loop() { return m_loop; }

 private:
  HeadlessOptions m_options;
  std::ostream& m_err;
  EventLoop m_loop;
};
