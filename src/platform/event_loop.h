// EventLoop: the headless main thread: runs posted tasks and periodic timers until quit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/main_thread.h"

class EventLoop : public MainThread {
 public:
  void Post(std::function<void()> task) override;
  // Runs `tick` every `period` on the loop's thread (e.g. the one-second client check).
  void AddTimer(std::chrono::milliseconds period, std::function<void()> tick);
  // Runs tasks and timers until Quit(); returns the code given to Quit.
  int Run();
  // Thread-safe; also from a signal-watching thread.
  void Quit(int code = 0);
  // Runs the tasks posted so far (and those they post) without blocking; returns how many ran.
  // For tests and for draining the queue at shutdown.
  int RunPending();

 private:
  struct Timer {
    std::chrono::milliseconds period;
    std::chrono::steady_clock::time_point due;
    std::function<void()> tick;
  };
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_tasks;
  std::vector<Timer> m_timers;
  bool m_quit = false;
  int m_code = 0;
};
