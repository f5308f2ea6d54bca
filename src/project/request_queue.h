// RequestQueue: the document's queue of group reads and writes, with the read merge and the
// write overtaking of the scheduling done without walking the queue.
#pragma once

#include <cstddef>
#include <deque>
#include <list>
#include <unordered_map>

#include "project/bus_request.h"

// The requests in the order they are sent. Beside the list it keeps each item's reads in order,
// the first read and the first initial read, and an order key per request, so that queueing a
// read or a write and taking the head cost the same with 65,536 queued reads as with one.
// Guarded by the document's queue lock; iterators and references stay valid until their
// request leaves.
class RequestQueue {
 public:
  using const_iterator = std::list<BusRequest>::const_iterator;

  RequestQueue() = default;
  RequestQueue(const RequestQueue&) = delete;
  RequestQueue& operator=(const RequestQueue&) = delete;

  bool empty() const { return list_.empty(); }
  std::size_t size() const { return list_.size(); }
  const_iterator begin() const { return list_.begin(); }
  const_iterator end() const { return list_.end(); }
  BusRequest& front() { return list_.front(); }
  const BusRequest& front() const { return list_.front(); }

  // Appends a request of either kind.
  void push_back(BusRequest request);
  // Takes the head away.
  void pop_front();
  void clear();
  // Removes every request of `item`.
  void RemoveItem(const GroupItem& item);

  // A read. With `merge` ("ReadStrategy" 1) and a queue that is not empty, the result is that
  // of walking the queue from the head: the first read of the same item takes the new
  // request's initial flag and the new request goes, unless an ordinary request meets an
  // initial read first: then it goes before that initial read and the item's first read goes.
  // Otherwise the read is appended.
  void AddRead(BusRequest request, bool merge);
  // A write: with `overtake` ("WriteStrategy" 1) before the first queued read, else appended.
  void AddWrite(BusRequest request, bool overtake);

 private:
  using Iterator = std::list<BusRequest>::iterator;

  Iterator Insert(Iterator before, BusRequest request);
  void Erase(Iterator it);
  void SetInitial(Iterator it, std::int32_t initial);
  // Gives every request a fresh order key, evenly spaced.
  void Renumber();
  // The first read (or initial read) at or after `from`.
  Iterator NextRead(Iterator from);
  Iterator NextInitialRead(Iterator from);

  std::list<BusRequest> list_;
  // Each item's queued reads in queue order (more than one only with merging off).
  std::unordered_map<const GroupItem*, std::deque<Iterator>> reads_;
  Iterator firstRead_ = list_.end();
  Iterator firstInitialRead_ = list_.end();
};
