// DriverGroupValueService: the component's GroupValueService over the driver of an opened device.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "knx/bus_driver.h"
#include "knx/group_value_service.h"
#include "platform/main_thread.h"

// Sends through the attached driver and raises the driver's telegrams and confirmations as
// BusEventSink events. The driver reports on its own thread; each event is posted to
// `mainThread` and reaches the advised sinks there, one at a time, in the order the driver
// reported them, numbered 1, 2, 3, ... per service. An event still queued when its sink is
// unadvised is not delivered. A driver result below zero is a failing HRESULT of the call
// itself and is returned as the call's result. One GroupValueService per driver: it is the
// driver's listener. `mainThread` must outlive the service and the tasks it posted.
class DriverGroupValueService : public GroupValueService {
 public:
  explicit DriverGroupValueService(MainThread& mainThread);
  ~DriverGroupValueService() override;
  DriverGroupValueService(const DriverGroupValueService&) = delete;
  DriverGroupValueService& operator=(const DriverGroupValueService&) = delete;

  // Attaching again leaves the previous driver (it no longer reports to this service).
  HRESULT AttachDevice(std::shared_ptr<BusDriver> device) override;
  // E_INVALIDARG for an address that is no decimal number 0-65535 or a null `writeError`;
  // E_FAIL before AttachDevice.
  HRESULT ReadGroupValue(const Variant& address, std::int32_t priority, std::int32_t routingCounter,
                         std::int32_t* writeError) override;
  // As ReadGroupValue; DISP_E_TYPEMISMATCH for data of another type than a byte array or a
  // VT_UI1 / VT_I2 / VT_I4 scalar.
  HRESULT WriteGroupValue(const Variant& address, std::int32_t priority,
                          std::int32_t routingCounter, std::int32_t shortForm, const Variant& data,
                          std::int32_t* writeError) override;
  // Cookies start at 1; E_INVALIDARG for a null sink or cookie, or an unknown cookie.
  HRESULT Advise(BusEventSink* sink, std::uint32_t* cookie) override;
  HRESULT Unadvise(std::uint32_t cookie) override;

 private:
  class SinkList;
  class Receiver;

  std::shared_ptr<BusDriver> Device();

  std::shared_ptr<SinkList> m_sinks;
  std::unique_ptr<Receiver> m_receiver;
  std::mutex m_mutex;  // guards m_device
  std::shared_ptr<BusDriver> m_device;
};
