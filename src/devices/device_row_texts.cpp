// DeviceRowTexts: state names, overlays and the time column of a device row.
#include "devices/device_row_texts.h"

#include <cstdio>

#include "project/device_record.h"

const char* DeviceStateText(std::int32_t state) {
  switch (state) {
    case kDeviceStateGood:
      return "good";
    case kDeviceStateUnknown:
      return "unknown";
    case kDeviceStateFailed:
      return "failure";
    default:
      return "";
  }
}

int DeviceStateOverlay(std::int32_t state) {
  if (state == kDeviceStateUnknown) return 1;
  if (state == kDeviceStateFailed) return 2;
  return 0;
}

std::string DeviceTimeText(const DeviceRecord& device) {
  if (device.state == kDeviceStateUnknown) return {};
  const SystemTime t = FileTimeToSystemTime(device.lastResultTime);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}
