// DeviceList: adding, removing and finding device records.
#include "project/device_list.h"

DeviceRecord& DeviceList::Add(std::unique_ptr<DeviceRecord> record) {
  std::lock_guard guard(m_lock);
  m_records.push_back(std::move(record));
  return *m_records.back();
}

void DeviceList::RemoveAt(std::size_t index) {
  std::lock_guard guard(m_lock);
  if (index < m_records.size())
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

void DeviceList::Clear() {
  std::lock_guard guard(m_lock);
  m_records.clear();
}

DeviceRecord* DeviceList::Find(std::string_view addressText) {
  std::lock_guard guard(m_lock);
  for (auto& record : m_records) {
    if (record->addressText == addressText) return record.get();
  }
  return nullptr;
}
