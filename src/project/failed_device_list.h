// FailedDeviceList: the addresses of the devices that failed their last check.
#pragma once

#include <mutex>
#include <string>
#include <vector>

// Written by the device check thread and the device commands, read when the "Failed Devices"
// item is rebuilt. An address is listed once at most, in the order in which the devices
// failed. Every operation takes the failed list lock itself and holds no other lock: a caller
// may hold the device list lock and the tag lock, but none of the pending reads, request queue
// or check queue locks.
class FailedDeviceList {
 public:
  // Each returns true when the list changed.
  bool Add(const std::string& address);
  bool Remove(const std::string& address);
  bool Clear();
  std::vector<std::string> Items() const;

 private:
  std::vector<std::string> m_addresses;
  mutable std::mutex m_lock;
};
