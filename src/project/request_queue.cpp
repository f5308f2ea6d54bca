// RequestQueue: order keys, the per-item index of reads, and the two insertion rules.
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
  for (BusRequest& r : list_) {
    r.order = key;
    key += kGap;
  }
}

RequestQueue::Iterator RequestQueue::Insert(Iterator before, BusRequest request) {
  if (before == list_.end()) {
    if (!list_.empty() && list_.back().order > kLimit) Renumber();
    request.order = list_.empty() ? 0 : list_.back().order + kGap;
  } else if (before == list_.begin()) {
    if (before->order < -kLimit) Renumber();
    request.order = before->order - kGap;
  } else {
    if (std::prev(before)->order + 1 >= before->order) Renumber();
    request.order = std::prev(before)->order + 1;
  }
  Iterator it = list_.insert(before, std::move(request));
  if (IsRead(*it)) {
    std::deque<Iterator>& reads = reads_[it->item];
    // A read goes in at the end of the queue or before all reads of its item.
    if (reads.empty() || it->order > reads.back()->order) {
      reads.push_back(it);
    } else {
      reads.push_front(it);
    }
    if (firstRead_ == list_.end() || it->order < firstRead_->order) firstRead_ = it;
    if (it->initial != 0 &&
        (firstInitialRead_ == list_.end() || it->order < firstInitialRead_->order)) {
      firstInitialRead_ = it;
    }
  }
  return it;
}

RequestQueue::Iterator RequestQueue::NextRead(Iterator from) {
  return std::find_if(from, list_.end(), IsRead);
}

RequestQueue::Iterator RequestQueue::NextInitialRead(Iterator from) {
  return std::find_if(from, list_.end(), IsInitialRead);
}

void RequestQueue::Erase(Iterator it) {
  if (IsRead(*it)) {
    auto entry = reads_.find(it->item);
    std::deque<Iterator>& reads = entry->second;
    if (reads.front() == it) {
      reads.pop_front();
    } else {
      reads.erase(std::find(reads.begin(), reads.end(), it));
    }
    if (reads.empty()) reads_.erase(entry);
    if (it == firstRead_) firstRead_ = NextRead(std::next(it));
    if (it == firstInitialRead_) firstInitialRead_ = NextInitialRead(std::next(it));
  }
  list_.erase(it);
}

void RequestQueue::SetInitial(Iterator it, std::int32_t initial) {
  if ((it->initial != 0) == (initial != 0)) {
    it->initial = initial;
    return;
  }
  it->initial = initial;
  if (initial != 0) {
    if (firstInitialRead_ == list_.end() || it->order < firstInitialRead_->order) {
      firstInitialRead_ = it;
    }
  } else if (it == firstInitialRead_) {
    firstInitialRead_ = NextInitialRead(std::next(it));
  }
}

void RequestQueue::push_back(BusRequest request) {
  Insert(list_.end(), std::move(request));
}

void RequestQueue::pop_front() {
  Erase(list_.begin());
}

void RequestQueue::clear() {
  list_.clear();
  reads_.clear();
  firstRead_ = list_.end();
  firstInitialRead_ = list_.end();
}

void RequestQueue::RemoveItem(const GroupItem& item) {
  for (Iterator it = list_.begin(); it != list_.end();) {
    Iterator next = std::next(it);
    if (it->item == &item) Erase(it);
    it = next;
  }
}

void RequestQueue::AddRead(BusRequest request, bool merge) {
  if (!merge || list_.empty()) {
    Insert(list_.end(), std::move(request));
    return;
  }
  auto entry = reads_.find(request.item);
  Iterator first = entry == reads_.end() ? list_.end() : entry->second.front();
  // Walking from the head, an ordinary read meets the first initial read before the item's
  // own first read: it goes there, and the later duplicate goes.
  if (request.initial == 0 && firstInitialRead_ != list_.end() &&
      (first == list_.end() || firstInitialRead_->order < first->order)) {
    Insert(firstInitialRead_, std::move(request));
    if (first != list_.end()) Erase(first);
    return;
  }
  if (first != list_.end()) {
    SetInitial(first, request.initial);
    return;
  }
  Insert(list_.end(), std::move(request));
}

void RequestQueue::AddWrite(BusRequest request, bool overtake) {
  Insert(overtake ? firstRead_ : list_.end(), std::move(request));
}
