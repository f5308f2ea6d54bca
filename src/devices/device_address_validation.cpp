// ValidateDeviceAddress: address rule, text form and duplicate check of the address dialog.
#include "devices/device_address_validation.h"

#include <mutex>

#include "knx/physical_address.h"
#include "project/device_list.h"

unsigned ValidateDeviceAddress(std::string& text, DeviceList& devices,
                               const DeviceRecord* editing) {
  const std::int32_t address = ParsePhysicalAddress(text, AddressPartRule::Digits);
  if (address < 0) return kStrInvalidDeviceAddress;
  text = FormatPhysicalAddress(static_cast<PhysicalAddress>(address));
  std::lock_guard lock(devices.Lock());
  for (std::size_t i = 0; i < devices.Size(); ++i) {
    const DeviceRecord& record = devices.At(i);
    if (&record != editing && record.addressText == text) return kStrDeviceAddressExists;
  }
  return 0;
}
