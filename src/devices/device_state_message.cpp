// DeviceStateMessage: applying a posted check result to its device and the views.
#include "devices/device_state_message.h"

#include <mutex>

#include "devices/device_views.h"
#include "platform/clock.h"
#include "project/device_list.h"
#include "project/dorazivaz_doc.h"

void ApplyDeviceState(CDORAzivazDoc& doc, DeviceViews* views, const DeviceStateMessage& message) {
  DeviceList& devices = doc.Devices();
  std::lock_guard lock(devices.Lock());
  // The pointer alone could name a new record made where a deleted one was.
  DeviceRecord* device = nullptr;
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    if (&devices.At(i) == message.device && devices.At(i).addressText == message.address)
      device = message.device;
  }
  if (device == nullptr) return;
  device->state = message.state;
  if (message.state != kDeviceStateUnknown) device->lastResultTime = TimeStampNow();
  if (views == nullptr) return;
  views->DeviceChanged(*device);
  RefreshDevicesNodeMark(doc, views);
}

void RefreshDevicesNodeMark(CDORAzivazDoc& doc, DeviceViews* views) {
  if (views == nullptr) return;
  DeviceList& devices = doc.Devices();
  std::lock_guard lock(devices.Lock());
  bool anyFailed = false;
  for (std::size_t i = 0; i < devices.Size(); ++i)
    anyFailed = anyFailed || devices.At(i).state == kDeviceStateFailed;
  views->ShowDevicesFailed(anyFailed);
}
