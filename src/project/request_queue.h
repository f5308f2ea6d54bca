// RequestQueue: the group reads and writes waiting for the bus worker, under their own lock.
#pragma once

#include <cstddef>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "project/bus_request.h"

// Filled by the main thread and the OPC toolkit's threads, emptied by the bus worker. Every
// operation takes the queue lock itself and holds no other lock: a caller may hold the device
// list lock and the tag lock, but none of the pending reads, check queue or failed list locks.
//
// Besides the waiting requests the queue knows the item of the request the bus worker is
// serving, so that removing an item's requests also tells the worker that its item is gone.
//
// Queueing a read or a write and taking the head never walk the queue: beside the list it
// keeps each item's reads in order, the first read, the first initial read and an order key
// per request, so they cost the same with 65,536 queued reads as with one.
class RequestQueue {
 public:
  RequestQueue() = default;
  RequestQueue(const RequestQueue&) = delete;
  RequestQueue& operator=(const RequestQueue&) = delete;

  // Appends at the end.
  void Add(BusRequest request);
  // A read. With `merge`, the first queued read of the same item takes the new request's
  // initial flag and the new request is dropped; an ordinary read goes before the first
  // initial read, and a read of the same item found after that place is dropped instead.
  // Without `merge` it is appended.
  void AddRead(BusRequest request, bool merge);
  // A write: appended, or with `aheadOfReads` put before the first queued read.
  void AddWrite(BusRequest request, bool aheadOfReads);

  // Takes the head; its item counts as served until Done. None when the queue is empty.
  std::optional<BusRequest> TakeNext();
  // True when the served item's requests were removed (the item died) since TakeNext.
  bool ServedItemGone() const;
  void Done();

  // Removes every request of `item`.
  void Remove(const GroupItem& item);
  void Clear();
  bool Empty() const;
  std::size_t Size() const;
  // The waiting requests in queue order.
  std::vector<BusRequest> Snapshot() const;

 private:
  using Iterator = std::list<BusRequest>::iterator;

  // The operations below run under the lock.
  Iterator Insert(Iterator before, BusRequest request);
  void Erase(Iterator it);
  void SetInitial(Iterator it, std::int32_t initial);
  // Gives every request a fresh order key, evenly spaced.
  void Renumber();
  // The first read (or initial read) at or after `from`.
  Iterator NextRead(Iterator from);
  Iterator NextInitialRead(Iterator from);

  // Writes are inserted before the first read, reads merged in the middle: a list keeps those
  // insertions cheap, the order stable and the iterators below valid.
  std::list<BusRequest> m_requests;
  // Each item's queued reads in queue order (more than one only without merging).
  std::unordered_map<const GroupItem*, std::deque<Iterator>> m_reads;
  Iterator m_firstRead = m_requests.end();
  Iterator m_firstInitialRead = m_requests.end();
  const GroupItem* m_served = nullptr;
  bool m_servedGone = false;
  mutable std::mutex m_lock;
};
