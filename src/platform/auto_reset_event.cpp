// AutoResetEvent: a named auto-reset event on a mutex and a condition variable.
#include "platform/auto_reset_event.h"

#include <chrono>
#include <utility>

AutoResetEvent::AutoResetEvent(std::string name, bool initiallySet)
    : m_name(std::move(name)), m_set(initiallySet) {}

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(m_mutex);
    m_set = true;
  }
  m_signal.notify_one();
}

bool AutoResetEvent::Wait(std::uint32_t timeoutMs) {
  std::unique_lock lock(m_mutex);
  // wait_for measures with the steady clock, so a change of the wall clock does not matter.
  if (!m_signal.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; }))
    return false;
  m_set = false;
  return true;
}

void AutoResetEvent::WaitForever() {
  std::unique_lock lock(m_mutex);
  m_signal.wait(lock, [this] { return m_set; });
  m_set = false;
}
