// DeviceCheckQueue: the addresses waiting for an immediate device check, first in first out.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Filled by the device commands and "Check Device" writes, emptied by the device check thread.
// Every operation takes the check queue lock itself and holds no other lock: a caller may hold
// the device list lock and the tag lock, but none of the pending reads, request queue or failed
// list locks.
class DeviceCheckQueue {
 public:
  void Add(const std::string& address);
  // The oldest address, taken off the queue; none when the queue is empty.
  std::optional<std::string> TakeNext();
  bool Empty() const;
  void Clear();
  std::vector<std::string> Items() const;

 private:
  std::deque<std::string> m_addresses;
  mutable std::mutex m_lock;
};
