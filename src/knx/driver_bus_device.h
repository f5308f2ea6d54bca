// DriverBusDevice: the component's BusDevice, which opens an interface through its driver.
#pragma once

#include <memory>
#include <mutex>

#include "knx/bus_component.h"
#include "knx/bus_device.h"

// The only mode is 5, group communication; SetMode refuses any other with E_INVALIDARG.
constexpr std::int32_t kBusDeviceGroupMode = 5;

class DriverBusDevice : public BusDevice {
 public:
  explicit DriverBusDevice(const BusComponent& component = BusComponent::Default());

  // REGDB_E_CLASSNOTREG when no driver serves `interfaceGuid`, E_INVALIDARG for a parameter
  // that is no VT_BSTR or a null `openError`. Otherwise the driver is made and opened and its
  // DeviceOpenError returned; the driver stays the attach point even when it failed to open
  // (sends then fail). Opening again closes the previous driver first.
  HRESULT Open(const Guid& interfaceGuid, const Variant& connectionParameter,
               std::int32_t* openError) override;
  HRESULT SetMode(std::int32_t mode) override;
  // E_FAIL before Open made a driver.
  HRESULT QueryAttachPoint(std::shared_ptr<BusDriver>* attachPoint) override;

 private:
  const BusComponent& m_component;
  std::mutex m_mutex;  // guards m_driver
  std::shared_ptr<BusDriver> m_driver;
};
