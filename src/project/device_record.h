// DeviceRecord: one bus device of the project with its check state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_time.h"

class CDORAzivazDoc;
class GroupNode;

// Check states of a device.
constexpr std::int32_t kDeviceStateFailed = -1;
constexpr std::int32_t kDeviceStateUnknown = 0;
constexpr std::int32_t kDeviceStateGood = 1;

struct DeviceRecord {
  DeviceRecord(std::string address, CDORAzivazDoc* document, GroupNode* devicesNode)
      : addressText(std::move(address)), document(document), devicesNode(devicesNode) {}

  std::string addressText;  // "%.2d.%.2d.%.3d", or as read when the import met a malformed one
  std::int32_t state = kDeviceStateUnknown;
  FileTime lastResultTime;  // of the last good or failed check
  std::int32_t retryCount = 0;
  std::int32_t row = -1;  // row in the window's device list, -1 while not shown
  CDORAzivazDoc* document;
  GroupNode* devicesNode;
};
