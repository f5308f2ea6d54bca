// DriverDeviceCheckService: checks devices through the attached driver.
#include "knx/driver_device_check_service.h"

#include <utility>

#include "knx/physical_address.h"
#include "platform/code_page.h"

std::shared_ptr<BusDriver> DriverDeviceCheckService::Device() {
  std::lock_guard lock(m_mutex);
  return m_device;
}

HRESULT DriverDeviceCheckService::AttachDevice(std::shared_ptr<BusDriver> device) {
  if (!device) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  m_device = std::move(device);
  return S_OK;
}

HRESULT DriverDeviceCheckService::CheckDevice(const Variant& physicalAddress, Variant* result) {
  if (result == nullptr || physicalAddress.vt() != VT_BSTR) return E_INVALIDARG;
  const std::int32_t address =
      ParsePhysicalAddress(Utf16ToAnsi(physicalAddress.bstrVal()), AddressPartRule::Digits);
  if (address < 0) return E_INVALIDARG;
  const std::shared_ptr<BusDriver> device = Device();
  if (!device) return E_FAIL;
  result->Clear();
  const std::optional<std::uint16_t> answered =
      device->CheckDevice(static_cast<PhysicalAddress>(address));
  if (answered) *result = Variant::Array(VT_UI4, {Variant::UI4(*answered)});
  return S_OK;
}

HRESULT DriverDeviceCheckService::CancelCheck() {
  if (const std::shared_ptr<BusDriver> device = Device()) device->CancelCheck();
  return S_OK;
}
