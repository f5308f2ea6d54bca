// GroupValueService: group reads and writes on the bus, and the telegram events.
#pragma once

#include <cstdint>
#include <memory>

#include "knx/bus_driver.h"
#include "knx/bus_event_sink.h"
#include "platform/hresult.h"
#include "platform/variant.h"

// Used from the main thread and the bus worker thread at once; implementations are thread-safe.
class GroupValueService {
 public:
  virtual ~GroupValueService() = default;

  // Binds the service to an opened device (BusDevice::QueryAttachPoint).
  virtual HRESULT AttachDevice(std::shared_ptr<BusDriver> device) = 0;

  // `address`: VT_BSTR with the 16-bit group address as a decimal number. *writeError gets the
  // DeviceWriteError of the send.
  virtual HRESULT ReadGroupValue(const Variant& address, std::int32_t priority,
                                 std::int32_t routingCounter, std::int32_t* writeError) = 0;
  // `shortForm`: -1 when the value travels inside the APCI octet, else 0. `data`: a byte array
  // in bus order, or a VT_UI1 / VT_I2 / VT_I4 scalar laid out most significant byte first.
  virtual HRESULT WriteGroupValue(const Variant& address, std::int32_t priority,
                                  std::int32_t routingCounter, std::int32_t shortForm,
                                  const Variant& data, std::int32_t* writeError) = 0;

  // Connection point for BusEventSink: the sink receives the events until Unadvise with the
  // cookie. The sink must stay alive until then.
  virtual HRESULT Advise(BusEventSink* sink, std::uint32_t* cookie) = 0;
  virtual HRESULT Unadvise(std::uint32_t cookie) = 0;
};
