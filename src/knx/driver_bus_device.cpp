// DriverBusDevice: opens the driver that the component registered for an interface GUID.
#include "knx/driver_bus_device.h"

#include <utility>

#include "platform/code_page.h"

DriverBusDevice::DriverBusDevice(const BusComponent& component) : m_component(component) {}

HRESULT DriverBusDevice::Open(const Guid& interfaceGuid, const Variant& connectionParameter,
                              std::int32_t* openError) {
  if (openError == nullptr || connectionParameter.vt() != VT_BSTR) return E_INVALIDARG;
  std::shared_ptr<BusDriver> driver = m_component.CreateDriver(interfaceGuid);
  if (!driver) return REGDB_E_CLASSNOTREG;
  std::shared_ptr<BusDriver> previous;
  {
    std::lock_guard lock(m_mutex);
    previous = std::exchange(m_driver, driver);
  }
  if (previous) previous->Close();
  *openError = driver->Open(Utf16ToAnsi(connectionParameter.bstrVal()));
  return S_OK;
}

HRESULT DriverBusDevice::SetMode(std::int32_t mode) {
  return mode == kBusDeviceGroupMode ? S_OK : E_INVALIDARG;
}

HRESULT DriverBusDevice::QueryAttachPoint(std::shared_ptr<BusDriver>* attachPoint) {
  if (attachPoint == nullptr) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  if (!m_driver) return E_FAIL;
  *attachPoint = m_driver;
  return S_OK;
}
