// SignalWatcher: turns SIGINT and SIGTERM into a call on a thread of its own.
#pragma once

#include <functional>
#include <thread>

// Block() must run in main() before any other thread starts, so that every thread inherits the
// blocked signals and only the watcher receives them (sigwait), outside any signal handler.
class SignalWatcher {
 public:
  static void Block();

  // Calls `onStop` once when SIGINT or SIGTERM arrives.
  explicit SignalWatcher(std::function<void()> onStop);
  // Ends the watcher thread if no signal came.
  ~SignalWatcher();
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

 private:
  std::thread m_thread;
};
