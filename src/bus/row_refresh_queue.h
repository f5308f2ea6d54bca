// RowRefreshQueue: row refreshes and status updates that any thread asks of the main window.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_set>

class BusViews;
class GroupItem;
class MainThread;

// Worker and toolkit threads never call the views: they mark the item here and one posted task
// refreshes every marked row on the main thread. Marks of one item coalesce, so a simulation
// tick over a large project posts one task, not one per item; an item that dies before the task
// runs is forgotten (Forget), so the task never meets a destroyed item. Thread-safe.
class RowRefreshQueue {
 public:
  explicit RowRefreshQueue(MainThread& mainThread);
  ~RowRefreshQueue();
  RowRefreshQueue(const RowRefreshQueue&) = delete;
  RowRefreshQueue& operator=(const RowRefreshQueue&) = delete;

  // The views that the tasks call; null (headless) drops the refreshes.
  void SetViews(BusViews* views);
  // The item's row (the 0x402 message of the worker threads).
  void Refresh(GroupItem& item);
  // The status bar (the idle-update message).
  void UpdateStatus();
  // The item is being destroyed: drop its mark.
  void Forget(GroupItem& item);

 private:
  struct State;
  void PostFlush(std::unique_lock<std::mutex>& lock);

  MainThread& m_mainThread;
  std::shared_ptr<State> m_state;  // shared with the posted tasks, which may outlive this
};
