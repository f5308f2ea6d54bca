// DeviceCommands: adding, editing, deleting, resetting and checking devices.
#include "devices/device_commands.h"

#include <memory>
#include <mutex>
#include <string>

#include "devices/device_address_dialog.h"
#include "devices/device_address_validation.h"
#include "devices/device_state_message.h"
#include "devices/device_views.h"
#include "devices/failed_devices.h"
#include "platform/prompt.h"
#include "project/device_list.h"
#include "project/dorazivaz_doc.h"

namespace {

// The index of `device` in the list, or the list's size when it is no longer there.
std::size_t IndexOf(DeviceList& devices, const DeviceRecord* device) {
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    if (&devices.At(i) == device) return i;
  }
  return devices.Size();
}

// Sets a device back to unknown and takes it off the failed list; true when the list changed.
bool ResetDevice(CDORAzivazDoc& doc, DeviceRecord& device, DeviceViews* views) {
  device.state = kDeviceStateUnknown;
  device.retryCount = 0;
  if (views != nullptr) views->DeviceChanged(device);
  return doc.FailedDevices().Remove(device.addressText);
}

}  // namespace

bool AddDevice(CDORAzivazDoc& doc, DeviceAddressDialog& dialog, DeviceViews* views) {
  std::string address;
  const auto validate = [&doc](std::string& text) {
    return ValidateDeviceAddress(text, doc.Devices(), nullptr);
  };
  if (!dialog.Run(address, validate)) return false;
  {
    std::lock_guard lock(doc.DeviceListLock());
    DeviceRecord& device =
        doc.Devices().Add(std::make_unique<DeviceRecord>(address, &doc, &doc.DevicesNode()));
    if (views != nullptr) views->DeviceAdded(device);
  }
  ++doc.Counters().devices;
  doc.SetModifiedFlag();
  return true;
}

bool EditDevice(CDORAzivazDoc& doc, DeviceRecord& device, DeviceAddressDialog& dialog,
                DeviceViews* views) {
  std::string address = device.addressText;
  const auto validate = [&doc, &device](std::string& text) {
    return ValidateDeviceAddress(text, doc.Devices(), &device);
  };
  if (!dialog.Run(address, validate)) return false;
  bool listChanged = false;
  {
    std::lock_guard lock(doc.DeviceListLock());
    if (IndexOf(doc.Devices(), &device) == doc.Devices().Size()) return false;
    // The old address would otherwise stay listed as failed with no device to clear it.
    listChanged = doc.FailedDevices().Remove(device.addressText);
    device.addressText = address;
    device.state = kDeviceStateUnknown;
    device.retryCount = 0;
    device.lastResultTime = {};
    if (views != nullptr) views->DeviceChanged(device);
    RefreshDevicesNodeMark(doc, views);
    if (listChanged) RecomputeFailedDevices(doc);
  }
  doc.SetModifiedFlag();
  return true;
}

bool DeleteDevices(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices,
                   DeviceViews* views) {
  if (devices.empty()) return false;
  const unsigned question = devices.size() == 1 ? kStrDeleteOneDevice : kStrDeleteDevices;
  if (doc.GetPrompt().Ask(question, {}, PromptKind::Question, PromptButtons::YesNo) !=
      PromptAnswer::Yes)
    return false;
  bool listChanged = false;
  {
    std::lock_guard lock(doc.DeviceListLock());
    DeviceList& list = doc.Devices();
    for (DeviceRecord* device : devices) {
      const std::size_t index = IndexOf(list, device);
      if (index == list.Size()) continue;
      listChanged = doc.FailedDevices().Remove(device->addressText) || listChanged;
      if (views != nullptr) views->DeviceRemoving(*device);
      list.RemoveAt(index);
      --doc.Counters().devices;
    }
    RefreshDevicesNodeMark(doc, views);
    if (listChanged) RecomputeFailedDevices(doc);
  }
  // The device file changes with the project: closing must offer to save it.
  doc.SetModifiedFlag();
  return true;
}

void ResetDevices(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices,
                  DeviceViews* views) {
  std::lock_guard lock(doc.DeviceListLock());
  bool listChanged = false;
  for (DeviceRecord* device : devices) {
    if (IndexOf(doc.Devices(), device) == doc.Devices().Size()) continue;
    listChanged = ResetDevice(doc, *device, views) || listChanged;
    doc.CheckQueue().Add(device->addressText);
  }
  RefreshDevicesNodeMark(doc, views);
  if (listChanged) RecomputeFailedDevices(doc);
}

void ResetAllDevices(CDORAzivazDoc& doc, DeviceViews* views) {
  std::lock_guard lock(doc.DeviceListLock());
  DeviceList& list = doc.Devices();
  for (std::size_t i = 0; i < list.Size(); ++i) ResetDevice(doc, list.At(i), views);
  doc.FailedDevices().Clear();
  RefreshDevicesNodeMark(doc, views);
  RecomputeFailedDevices(doc);
}

void CheckDevicesNow(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices) {
  std::lock_guard lock(doc.DeviceListLock());
  for (DeviceRecord* device : devices) {
    if (IndexOf(doc.Devices(), device) != doc.Devices().Size())
      doc.CheckQueue().Add(device->addressText);
  }
}
