// RowRefreshQueue: marks under a mutex, one flush task on the main thread.
#include "bus/row_refresh_queue.h"

#include <vector>

#include "bus/bus_views.h"
#include "platform/main_thread.h"

struct RowRefreshQueue::State {
  std::mutex mutex;
  BusViews* views = nullptr;
  std::unordered_set<GroupItem*> rows;
  bool status = false;
  bool flushPosted = false;

  // Runs on the main thread; the views are called without the mutex held, the marks taken
  // out one at a time so that an item destroyed by a view call is still forgotten.
  void Flush() {
    std::unique_lock lock(mutex);
    flushPosted = false;
    while (views && !rows.empty()) {
      GroupItem* item = *rows.begin();
      rows.erase(rows.begin());
      BusViews* target = views;
      lock.unlock();
      target->RefreshItemRow(*item);
      lock.lock();
    }
    rows.clear();
    const bool updateStatus = status && views;
    status = false;
    BusViews* target = views;
    lock.unlock();
    if (updateStatus) target->UpdateStatus();
  }
};

RowRefreshQueue::RowRefreshQueue(MainThread& mainThread)
    : m_mainThread(mainThread), m_state(std::make_shared<State>()) {}

RowRefreshQueue::~RowRefreshQueue() {
  SetViews(nullptr);
}

void RowRefreshQueue::SetViews(BusViews* views) {
  std::lock_guard lock(m_state->mutex);
  m_state->views = views;
  if (!views) m_state->rows.clear();
}

void RowRefreshQueue::PostFlush(std::unique_lock<std::mutex>& lock) {
  if (m_state->flushPosted) return;
  m_state->flushPosted = true;
  lock.unlock();
  m_mainThread.Post([state = m_state] { state->Flush(); });
}

void RowRefreshQueue::Refresh(GroupItem& item) {
  std::unique_lock lock(m_state->mutex);
  if (!m_state->views) return;
  m_state->rows.insert(&item);
  PostFlush(lock);
}

void RowRefreshQueue::UpdateStatus() {
  std::unique_lock lock(m_state->mutex);
  if (!m_state->views) return;
  m_state->status = true;
  PostFlush(lock);
}

void RowRefreshQueue::Forget(GroupItem& item) {
  std::lock_guard lock(m_state->mutex);
  m_state->rows.erase(&item);
}
