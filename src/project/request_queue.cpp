// RequestQueue: the read merge, the write overtaking and the served item, under the queue lock.
#include "project/request_queue.h"

#include <algorithm>

namespace {

bool IsReadOf(const BusRequest& request, const GroupItem* item) {
  return request.kind == kRequestRead && request.item == item;
}

bool IsInitialRead(const BusRequest& request) {
  return request.kind == kRequestRead && request.initial != 0;
}

// Walks the queue from the head: the first read of the same item either takes the new
// request's initial flag (the new request is dropped) or, when the new request was already
// put before an initial read, goes itself; an ordinary read goes before the first initial read.
void MergeRead(std::list<BusRequest>& queue, BusRequest request) {
  auto inserted = queue.end();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (IsReadOf(*it, request.item)) {
      if (inserted != queue.end())
        queue.erase(it);
      else
        it->initial = request.initial;
      return;
    }
    if (request.initial == 0 && IsInitialRead(*it) && inserted == queue.end())
      inserted = queue.insert(it, std::move(request));
  }
  if (inserted == queue.end()) queue.push_back(std::move(request));
}

}  // namespace

void RequestQueue::Add(BusRequest request) {
  std::lock_guard lock(m_lock);
  m_requests.push_back(std::move(request));
}

void RequestQueue::AddRead(BusRequest request, bool merge) {
  std::lock_guard lock(m_lock);
  if (merge && !m_requests.empty())
    MergeRead(m_requests, std::move(request));
  else
    m_requests.push_back(std::move(request));
}

void RequestQueue::AddWrite(BusRequest request, bool aheadOfReads) {
  std::lock_guard lock(m_lock);
  auto at = m_requests.end();
  if (aheadOfReads)
    at = std::find_if(m_requests.begin(), m_requests.end(),
                      [](const BusRequest& r) { return r.kind == kRequestRead; });
  m_requests.insert(at, std::move(request));
}

std::optional<BusRequest> RequestQueue::TakeNext() {
  std::lock_guard lock(m_lock);
  if (m_requests.empty()) return std::nullopt;
  BusRequest request = std::move(m_requests.front());
  m_requests.pop_front();
  m_served = request.item;
  m_servedGone = false;
  return request;
}

bool RequestQueue::ServedItemGone() const {
  std::lock_guard lock(m_lock);
  return m_servedGone;
}

void RequestQueue::Done() {
  std::lock_guard lock(m_lock);
  m_served = nullptr;
}

void RequestQueue::Remove(const GroupItem& item) {
  std::lock_guard lock(m_lock);
  m_requests.remove_if([&item](const BusRequest& r) { return r.item == &item; });
  if (m_served == &item) m_servedGone = true;
}

void RequestQueue::Clear() {
  std::lock_guard lock(m_lock);
  m_requests.clear();
}

bool RequestQueue::Empty() const {
  std::lock_guard lock(m_lock);
  return m_requests.empty();
}

std::size_t RequestQueue::Size() const {
  std::lock_guard lock(m_lock);
  return m_requests.size();
}

std::vector<BusRequest> RequestQueue::Snapshot() const {
  std::lock_guard lock(m_lock);
  return {m_requests.begin(), m_requests.end()};
}
