// DeviceRowTexts: how the main window's device list shows a device's state and time.
#pragma once

#include <cstdint>
#include <string>

struct DeviceRecord;

// Column 1: "good", "unknown" or "failure" for the states 1, 0 and -1 (anything else: "").
const char* DeviceStateText(std::int32_t state);
// Overlay image of the row: 0 (none) good, 1 unknown, 2 failure.
int DeviceStateOverlay(std::int32_t state);
// Column 2: the time of the last result as "hh:mm:ss", empty while the state is unknown.
std::string DeviceTimeText(const DeviceRecord& device);
