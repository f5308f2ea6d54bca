// FailedDeviceList: listing, unlisting and copying the failed devices under their lock.
#include "project/failed_device_list.h"

#include <algorithm>

bool FailedDeviceList::Add(const std::string& address) {
  std::lock_guard lock(m_lock);
  if (std::find(m_addresses.begin(), m_addresses.end(), address) != m_addresses.end()) return false;
  m_addresses.push_back(address);
  return true;
}

bool FailedDeviceList::Remove(const std::string& address) {
  std::lock_guard lock(m_lock);
  return std::erase(m_addresses, address) != 0;
}

bool FailedDeviceList::Clear() {
  std::lock_guard lock(m_lock);
  const bool changed = !m_addresses.empty();
  m_addresses.clear();
  return changed;
}

std::vector<std::string> FailedDeviceList::Items() const {
  std::lock_guard lock(m_lock);
  return m_addresses;
}
