// QtMainThread: worker threads' tasks as queued calls into the Qt event loop.
#pragma once

#include <QObject>
#include <memory>
#include <mutex>

#include "platform/main_thread.h"

// Made on the main thread after the QApplication. Tasks posted after its destruction, and
// tasks still queued then, are dropped.
class QtMainThread : public MainThread {
 public:
  QtMainThread();
  ~QtMainThread() override;
  QtMainThread(const QtMainThread&) = delete;
  QtMainThread& operator=(const QtMainThread&) = delete;

  void Post(std::function<void()> task) override;

 private:
  std::mutex m_mutex;
  std::unique_ptr<QObject> m_context;  // lives on the main thread; its queued calls die with it
};
