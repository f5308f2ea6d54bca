// DriverDeviceCheckService: the component's DeviceCheckService over the driver of an opened
// device.
#pragma once

#include <memory>
#include <mutex>

#include "knx/bus_driver.h"
#include "knx/device_check_service.h"

// Thread-safe: CheckDevice blocks in the driver on the device check thread while CancelCheck
// may come from the main thread.
class DriverDeviceCheckService : public DeviceCheckService {
 public:
  HRESULT AttachDevice(std::shared_ptr<BusDriver> device) override;
  // E_INVALIDARG for a null `result` or an address that is no VT_BSTR "area.line.device"
  // text ("1.1.5", "01.01.005"); E_FAIL before AttachDevice or when the driver could not send
  // the check, E_ABORT when CancelCheck ended it.
  HRESULT CheckDevice(const Variant& physicalAddress, Variant* result) override;
  HRESULT CancelCheck() override;

 private:
  std::shared_ptr<BusDriver> Device();

  std::mutex m_mutex;  // guards m_device
  std::shared_ptr<BusDriver> m_device;
};
