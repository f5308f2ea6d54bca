// RequestQueue: order keys, the per-item index of reads, the read merge, the write overtaking
// and the served item, under the queue lock.
#include "project/request_queue.h"

#include <algorithm>

namespace {
// Appended requests are this far apart; one inserted between two takes the key after its
// predecessor's, so a run of insertions at one place uses the gap up one by one.
constexpr std::int64_t kGap = std::int64_t{1} << 32;
constexpr std::int64_t kLimit = std::int64_t{1} << 62;

bool IsRead(const BusRequest& r) {
  return r.kind == kRequestRead;
}

bool IsInitialRead(const BusRequest& r) {
  return r.kind == kRequestRead && r.initial != 0;
}
}  // namespace

void RequestQueue::Renumber() {
  std::int64_t key = 0;
  for (BusRequest& r : m_requests) {
    r.order = key;
    key += kGap;
  }
}

RequestQueue::Iterator RequestQueue::Insert(Iterator before, BusRequest request) {
  if (before == m_requests.end()) {
    if (!m_requests.empty() && m_requests.back().order > kLimit) Renumber();
    request.order = m_requests.empty() ? 0 : m_requests.back().order + kGap;
  } else if (before == m_requests.begin()) {
    if (before->order < -kLimit) Renumber();
    request.order = before->order - kGap;
  } else {
    if (std::prev(before)->order + 1 >= before->order) Renumber();
    request.order = std::prev(before)->order + 1;
  }
  Iterator it = m_requests.insert(before, std::move(request));
  if (IsRead(*it)) {
    std::deque<Iterator>& reads = m_reads[it->item];
    // A read goes in at the end of the queue or before all reads of its item.
    if (reads.empty() || it->order > reads.back()->order) {
      reads.push_back(it);
    } else {
      reads.push_front(it);
    }
    if (m_firstRead == m_requests.end() || it->order < m_firstRead->order) m_firstRead = it;
    if (it->initial != 0 &&
        (m_firstInitialRead == m_requests.end() || it->order < m_firstInitialRead->order)) {
      m_firstInitialRead = it;
    }
  }
  return it;
}

RequestQueue::Iterator RequestQueue::NextRead(Iterator from) {
  return std::find_if(from, m_requests.end(), IsRead);
}

RequestQueue::Iterator RequestQueue::NextInitialRead(Iterator from) {
  return std::find_if(from, m_requests.end(), IsInitialRead);
}

void RequestQueue::Erase(Iterator it) {
  if (IsRead(*it)) {
    auto entry = m_reads.find(it->item);
    std::deque<Iterator>& reads = entry->second;
    if (reads.front() == it) {
      reads.pop_front();
    } else {
      reads.erase(std::find(reads.begin(), reads.end(), it));
    }
    if (reads.empty()) m_reads.erase(entry);
    if (it == m_firstRead) m_firstRead = NextRead(std::next(it));
    if (it == m_firstInitialRead) m_firstInitialRead = NextInitialRead(std::next(it));
  }
  m_requests.erase(it);
}

void RequestQueue::SetInitial(Iterator it, std::int32_t initial) {
  const bool was = it->initial != 0;
  it->initial = initial;
  if (was == (initial != 0)) return;
  if (initial != 0) {
    if (m_firstInitialRead == m_requests.end() || it->order < m_firstInitialRead->order) {
      m_firstInitialRead = it;
    }
  } else if (it == m_firstInitialRead) {
    m_firstInitialRead = NextInitialRead(std::next(it));
  }
}

void RequestQueue::Add(BusRequest request) {
  std::lock_guard lock(m_lock);
  Insert(m_requests.end(), std::move(request));
}

void RequestQueue::AddRead(BusRequest request, bool merge) {
  std::lock_guard lock(m_lock);
  if (!merge || m_requests.empty()) {
    Insert(m_requests.end(), std::move(request));
    return;
  }
  auto entry = m_reads.find(request.item);
  const Iterator first = entry == m_reads.end() ? m_requests.end() : entry->second.front();
  // Walking from the head, an ordinary read that meets the first initial read before the
  // item's own first read goes there, and the later duplicate goes.
  if (request.initial == 0 && m_firstInitialRead != m_requests.end() &&
      (first == m_requests.end() || m_firstInitialRead->order < first->order)) {
    Insert(m_firstInitialRead, std::move(request));
    if (first != m_requests.end()) Erase(first);
    return;
  }
  if (first != m_requests.end()) {
    SetInitial(first, request.initial);
    return;
  }
  Insert(m_requests.end(), std::move(request));
}

void RequestQueue::AddWrite(BusRequest request, bool aheadOfReads) {
  std::lock_guard lock(m_lock);
  Insert(aheadOfReads ? m_firstRead : m_requests.end(), std::move(request));
}

std::optional<BusRequest> RequestQueue::TakeNext() {
  std::lock_guard lock(m_lock);
  if (m_requests.empty()) return std::nullopt;
  BusRequest request = std::move(m_requests.front());
  Erase(m_requests.begin());
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
  for (Iterator it = m_requests.begin(); it != m_requests.end();) {
    const Iterator next = std::next(it);
    if (it->item == &item) Erase(it);
    it = next;
  }
  if (m_served == &item) m_servedGone = true;
}

void RequestQueue::Clear() {
  std::lock_guard lock(m_lock);
  m_requests.clear();
  m_reads.clear();
  m_firstRead = m_requests.end();
  m_firstInitialRead = m_requests.end();
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
