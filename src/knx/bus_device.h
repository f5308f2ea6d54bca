// BusDevice: the bus access component's device object, which opens a bus interface.
#pragma once

#include <cstdint>
#include <memory>

#include "knx/bus_driver.h"
#include "knx/guid.h"
#include "platform/hresult.h"
#include "platform/variant.h"

class BusDevice {
 public:
  virtual ~BusDevice() = default;

  // Opens the interface `interfaceGuid` with the connection parameter (VT_BSTR). A failed
  // HRESULT means nothing was tried; otherwise *openError holds the DeviceOpenError of the try.
  virtual HRESULT Open(const Guid& interfaceGuid, const Variant& connectionParameter,
                       std::int32_t* openError) = 0;
  // The system calls it with 5 before Open and ignores the result.
  virtual HRESULT SetMode(std::int32_t mode) = 0;
  // The object that GroupValueService and DeviceCheckService attach to: the driver of the
  // opened interface. Fails when no interface was opened.
  virtual HRESULT QueryAttachPoint(std::shared_ptr<BusDriver>* attachPoint) = 0;
};
