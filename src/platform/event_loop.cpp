// EventLoop: posted tasks run in order on the thread that calls Run; timers between them.
#include "platform/event_loop.h"

void EventLoop::Post(std::function<void()> task) {
  {
    std::lock_guard guard(m_mutex);
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_one();
}

void EventLoop::AddTimer(std::chrono::milliseconds period, std::function<void()> tick) {
  std::lock_guard guard(m_mutex);
  m_timers.push_back({period, std::chrono::steady_clock::now() + period, std::move(tick)});
}

void EventLoop::Quit(int code) {
  {
    std::lock_guard guard(m_mutex);
    m_quit = true;
    m_code = code;
  }
  m_wake.notify_all();
}

int EventLoop::RunPending() {
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard guard(m_mutex);
      if (m_tasks.empty()) return ran;
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    task();
    ++ran;
  }
}

int EventLoop::Run() {
  std::unique_lock lock(m_mutex);
  while (!m_quit) {
    if (!m_tasks.empty()) {
      auto task = std::move(m_tasks.front());
      m_tasks.pop_front();
      lock.unlock();
      task();
      lock.lock();
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    auto next = now + std::chrono::hours(1);
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
      if (m_timers[i].due <= now) {
        m_timers[i].due = now + m_timers[i].period;
        auto tick = m_timers[i].tick;  // a copy: the tick may add timers
        lock.unlock();
        tick();
        lock.lock();
        if (m_quit) break;
      }
      if (i < m_timers.size() && m_timers[i].due < next) next = m_timers[i].due;
    }
    if (m_quit) break;
    if (m_tasks.empty()) m_wake.wait_until(lock, next);
  }
  m_quit = false;
  return m_code;
}
