// PendingReads: the items whose group read was confirmed and whose answer is awaited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class GroupItem;

// Filled by the telegram reception on the main thread, swept by the bus worker. Items are kept
// in the order their reads were confirmed, so their answer deadlines rise from the head. Every
// operation takes the pending lock itself and holds no other lock: a caller may hold the device
// list lock and the tag lock, but none of the request queue, check queue or failed list locks.
// The lock also guards each listed item's answer deadline.
class PendingReads {
 public:
  // Appends `item` with the time (seconds) after which its answer is overdue.
  void Add(GroupItem& item, std::int64_t deadline);
  // Takes `item` off the list; true when it was listed.
  bool Remove(const GroupItem& item);
  // Takes the head off the list and returns it when its deadline lies before `now`; null
  // otherwise.
  GroupItem* TakeOverdue(std::int64_t now);
  void Clear();
  bool Empty() const;
  std::size_t Size() const;
  std::vector<GroupItem*> Items() const;

 private:
  std::vector<GroupItem*> m_items;
  mutable std::mutex m_lock;
};
