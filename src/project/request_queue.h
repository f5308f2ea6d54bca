// RequestQueue: the group reads and writes waiting for the bus worker, under their own lock.
#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <vector>

#include "project/bus_request.h"

// Filled by the main thread and the OPC toolkit's threads, emptied by the bus worker. Every
// operation takes the queue lock itself and holds no other lock: a caller may hold the device
// list lock and the tag lock, but none of the pending reads, check queue or failed list locks.
//
// Besides the waiting requests the queue knows the item of the request the bus worker is
// serving, so that removing an item's requests also tells the worker that its item is gone.
class RequestQueue {
 public:
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
  // Writes are inserted before the first read, reads merged in the middle: a list keeps those
  // insertions cheap and the order stable.
  std::list<BusRequest> m_requests;
  const GroupItem* m_served = nullptr;
  bool m_servedGone = false;
  mutable std::mutex m_lock;
};
