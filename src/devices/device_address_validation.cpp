// ValidateDeviceAddress: address rule, text form and duplicate check of the address dialog.
#include "devices/device_address_validation.h"

#include <mutex>

#include "devices/device_address_text.h"
#include "project/device_list.h"

unsigned ValidateDeviceAddress(std::string& text, DeviceList& devices,
                               const DeviceRecord* editing) {
  const auto address = CheckDeviceAddressText(text);
  if (!address) return kStrInvalidDeviceAddress;
  text = FormatPhysicalAddress(*address);
  std::lock_guard lock(devices.Lock());
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    const DeviceRecord& record = devices.At(i);
    if (&record != editing && record.addressText == text) return kStrDeviceAddressExists;
  }
  return 0;
}
