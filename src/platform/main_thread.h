// MainThread: the queue through which worker threads and drivers hand work to the main thread.
#pragma once

#include <functional>

// Worker threads never touch the document's views or run bus events themselves: they post a
// task, and the main thread runs the tasks one at a time in the order they were posted.
class MainThread {
 public:
  virtual ~MainThread() = default;
  // Thread-safe; may be called from any thread, also from a running task.
  virtual void Post(std::function<void()> task) = 0;
};
