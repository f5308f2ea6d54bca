// AutoResetEvent: a named auto-reset event, the stand-in for the Win32 events threads wait on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

// Set() signals the event; it stays signalled until one wait consumes it, which resets it, so
// a Set() before the wait is not lost and one Set() releases one waiter. Thread-safe.
class AutoResetEvent {
 public:
  explicit AutoResetEvent(std::string name, bool initiallySet = false);
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  void Set();
  // Waits at most `timeoutMs` milliseconds (0 only polls); true when the event was signalled.
  bool Wait(std::uint32_t timeoutMs);
  void WaitForever();
  // The name the system gives the event ("DOR_AZIVAZ_QUIT_THREAD").
  const std::string& Name() const { return m_name; }

 private:
  const std::string m_name;
  std::mutex m_mutex;
  std::condition_variable m_signal;
  bool m_set;
};
