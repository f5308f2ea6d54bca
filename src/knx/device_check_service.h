// DeviceCheckService: asks a bus device by its individual address whether it is there.
#pragma once

#include <cstdint>
#include <memory>

#include "knx/bus_driver.h"
#include "platform/hresult.h"
#include "platform/variant.h"

// Used from the device check thread; CancelCheck also from the main thread.
class DeviceCheckService {
 public:
  virtual ~DeviceCheckService() = default;

  virtual HRESULT AttachDevice(std::shared_ptr<BusDriver> device) = 0;
  // `physicalAddress`: VT_BSTR with the address text ("1.1.5"). When the device answers,
  // *result is VT_ARRAY | VT_UI4 whose first element is the individual address that answered;
  // otherwise *result stays VT_EMPTY. A check that could not be sent fails (E_FAIL); one that
  // CancelCheck ended fails with E_ABORT: neither says anything about the device.
  virtual HRESULT CheckDevice(const Variant& physicalAddress, Variant* result) = 0;
  // Ends a running CheckDevice at once.
  virtual HRESULT CancelCheck() = 0;
};
