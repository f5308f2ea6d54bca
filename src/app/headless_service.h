// HeadlessService: zelvox without a window: the application on an event loop of its own.
#pragma once

#include <ostream>
#include <string>

#include "app/command_line.h"
#include "platform/event_loop.h"

// Messages of the system go to `err` in the chosen language, one line each, prefixed with
// "zelvox: "; questions get the answer that changes nothing (No), so a modified project is
// never saved over its file unasked: at the end it is left as it was, and `err` says so.
//
// Run() starts the application, prints the endpoint served, and runs the loop until Stop()
// (SIGTERM, SIGINT) or, when a client started the program, the first one-second tick at
// which no OPC client is connected. Then it ends the application: serving stopped, bus
// worker stopped, device check ended, bus disconnected. Started by systemd as a notify
// service, it reports readiness once the OPC UA port serves, feeds the watchdog from the loop
// and reports that it is stopping.
class ZelvoxApplication;

// Ends `app` the way the service ends: a modified project gets the save question, which the
// prompt answers No, and `err` says that the project's file is left as it was; then the
// application ends.
void EndHeadless(ZelvoxApplication& app, std::ostream& err);

class HeadlessService {
 public:
  HeadlessService(CommandLine line, std::string programPath, std::ostream& err);

  // The exit code (see zelvox_application.h).
  int Run();
  // Thread-safe; also before Run() has reached its loop.
  void Stop() { m_loop.Quit(0); }

 private:
  CommandLine m_line;
  std::string m_programPath;
  std::ostream& m_err;
  EventLoop m_loop;
};
