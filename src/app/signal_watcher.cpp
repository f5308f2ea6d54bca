// SignalWatcher: sigwait on a dedicated thread; SIGUSR2 from the destructor ends it.
#include "app/signal_watcher.h"

#include <pthread.h>
#include <signal.h>

namespace {

sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR2);  // the destructor's wake-up
  return set;
}

}  // namespace

void SignalWatcher::Block() {
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalWatcher::SignalWatcher(std::function<void()> onStop) {
  m_thread = std::thread([onStop = std::move(onStop)] {
    const sigset_t set = WatchedSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    if (signal != SIGUSR2) onStop();
  });
}

SignalWatcher::~SignalWatcher() {
  pthread_kill(m_thread.native_handle(), SIGUSR2);
  m_thread.join();
}
