// DeviceList: the project's devices in the order they were added, their lock and presence map.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "knx/physical_address.h"
#include "project/device_record.h"

// Every reader and writer of the records holds Lock(): import, load, the device commands,
// the device check thread. It is taken before the tag lock, never after it.
class DeviceList {
 public:
  std::recursive_mutex& Lock() { return m_lock; }

  // Appends a record (the caller holds the lock and counts the device).
  DeviceRecord& Add(std::unique_ptr<DeviceRecord> record);
  // Removes and destroys the record at `index`.
  void RemoveAt(std::size_t index);
  // Destroys every record, under the lock.
  void Clear();

  std::size_t Size() const { return m_records.size(); }
  DeviceRecord& At(std::size_t index) { return *m_records[index]; }
  const DeviceRecord& At(std::size_t index) const { return *m_records[index]; }
  // The first record with exactly this address text, or null.
  DeviceRecord* Find(std::string_view addressText);

  // The presence map that import and load use against duplicates: one bit per address.
  void ClearPresence() { m_presence.fill(0); }
  bool IsPresent(PhysicalAddress a) const { return (m_presence[a >> 3] & (0x80 >> (a & 7))) != 0; }
  void MarkPresent(PhysicalAddress a) {
    m_presence[a >> 3] |= static_cast<std::uint8_t>(0x80 >> (a & 7));
  }

 private:
  std::recursive_mutex m_lock;
  std::vector<std::unique_ptr<DeviceRecord>> m_records;
  std::array<std::uint8_t, 8192> m_presence{};
};
