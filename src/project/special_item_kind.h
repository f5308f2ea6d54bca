// SpecialItemKind: the EIS numbers that mark the two device check items under the root.
#pragma once

#include <cstdint>

// Held in a GroupItem's EIS number; every item with a number of 0 or more is a bus item.
enum SpecialItemKind : std::int32_t {
  kCheckDeviceItem = -1,    // "Check Device": a written address text is checked at once
  kFailedDevicesItem = -2,  // "Failed Devices": the addresses of the failed devices
};
