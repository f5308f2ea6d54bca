// DeviceViews: what the device supervision asks of the main window's device list and tree.
#pragma once

#include <vector>

struct DeviceRecord;

// Implemented by the main window; null while headless. Every call comes on the main thread;
// the device list lock may be held during a call.
class DeviceViews {
 public:
  // A device was appended to the document's list: add its row if the list shows the devices.
  virtual void DeviceAdded(DeviceRecord& device) = 0;
  // The device is about to be destroyed: remove its row if it has one.
  virtual void DeviceRemoving(DeviceRecord& device) = 0;
  // The device's address, state or time changed: rewrite its row if it has one (address,
  // DeviceStateText, DeviceTimeText, DeviceStateOverlay) and re-apply the list's sort.
  virtual void DeviceChanged(DeviceRecord& device) = 0;
  // Overlay image 2 on the devices node while any device has failed, none otherwise.
  virtual void ShowDevicesFailed(bool anyFailed) = 0;
  // The devices of the rows selected in the list, in row order; empty unless the list shows
  // the devices.
  virtual std::vector<DeviceRecord*> SelectedDevices() = 0;

 protected:
  ~DeviceViews() = default;
};
