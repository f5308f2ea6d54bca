// DeviceCheckQueue: appending, taking and testing the check queue under its lock.
#include "project/check_queue.h"

void DeviceCheckQueue::Add(const std::string& address) {
  std::lock_guard lock(m_lock);
  m_addresses.push_back(address);
}

std::optional<std::string> DeviceCheckQueue::TakeNext() {
  std::lock_guard lock(m_lock);
  if (m_addresses.empty()) return std::nullopt;
  std::string address = std::move(m_addresses.front());
  m_addresses.pop_front();
  return address;
}

bool DeviceCheckQueue::Empty() const {
  std::lock_guard lock(m_lock);
  return m_addresses.empty();
}

void DeviceCheckQueue::Clear() {
  std::lock_guard lock(m_lock);
  m_addresses.clear();
}

std::vector<std::string> DeviceCheckQueue::Items() const {
  std::lock_guard lock(m_lock);
  return {m_addresses.begin(), m_addresses.end()};
}
