// BusEventSink: the events of GroupValueService, implemented by the served system.
#pragma once

#include <cstdint>

#include "platform/hresult.h"
#include "platform/variant.h"

// Every event carries the 16-bit group address, a running event number of the component, the
// priority code and the group data (VT_ARRAY | VT_UI1, bytes in bus order). Events arrive on
// the thread that advised the sink, one at a time. Implementations return S_OK.
class BusEventSink {
 public:
  virtual ~BusEventSink() = default;

  virtual HRESULT OnGroupValueRead(std::int32_t groupAddress, std::int32_t eventNumber,
                                   std::int32_t priority, const Variant& data) = 0;
  virtual HRESULT OnGroupValueWrite(std::int32_t groupAddress, std::int32_t eventNumber,
                                    std::int32_t priority, const Variant& data) = 0;
  virtual HRESULT OnGroupValueResponse(std::int32_t groupAddress, std::int32_t eventNumber,
                                       std::int32_t priority, const Variant& data) = 0;
  // Confirmations of the system's own reads and writes; `error` (VARIANT_BOOL) is non-zero
  // when the component could not send the telegram.
  virtual HRESULT OnReadConfirm(std::int32_t groupAddress, std::int32_t eventNumber,
                                std::int32_t priority, std::int16_t error, const Variant& data) = 0;
  virtual HRESULT OnWriteConfirm(std::int32_t groupAddress, std::int32_t eventNumber,
                                 std::int32_t priority, std::int16_t error,
                                 const Variant& data) = 0;
  // The link to the bus interface went down (false) or came back (true); the interface
  // reconnects by itself. In order with the telegram events; carries no event number.
  virtual HRESULT OnConnectionState(bool connected) = 0;
};
