// DeviceStateMessage: a check result that the device check thread posts to the main thread.
#pragma once

#include <cstdint>
#include <string>

class CDORAzivazDoc;
class DeviceViews;
struct DeviceRecord;

// The new state (kDeviceStateGood, kDeviceStateUnknown or kDeviceStateFailed) of `device`,
// whose address text was `address` when the thread checked it.
struct DeviceStateMessage {
  std::int32_t state;
  DeviceRecord* device;
  std::string address;
};

// The main thread's handler, under the device list lock: a device that was deleted or given
// another address since the check (the pointer no longer in the list with that address) is
// left alone. Otherwise the state is set, a good or failed result stamps the time now, the
// device's row is rewritten and the devices node's mark recomputed.
void ApplyDeviceState(CDORAzivazDoc& doc, DeviceViews* views, const DeviceStateMessage& message);

// Shows the devices node's failure mark while any device of the document has failed. The
// caller holds the device list lock or is on the main thread.
void RefreshDevicesNodeMark(CDORAzivazDoc& doc, DeviceViews* views);
