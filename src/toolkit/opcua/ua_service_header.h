// Request and response headers of UA services, the ServiceFault, and the server's clock.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_binary_writer.h"

struct UaRequestHeader {
  UaNodeId authenticationToken;
  std::uint32_t requestHandle = 0;
  std::uint32_t timeoutHint = 0;
};

// Now as a UA DateTime (UTC).
UaDateTime UaNow();
// A steady clock in milliseconds for time-outs and intervals.
std::int64_t UaSteadyMs();

UaRequestHeader ReadRequestHeader(UaBinaryReader& r);
void WriteResponseHeader(UaBinaryWriter& w, std::uint32_t requestHandle,
                         UaStatusCode serviceResult = ua_status::Good);
// A complete ServiceFault body (type id and header).
std::vector<std::uint8_t> MakeServiceFault(std::uint32_t requestHandle, UaStatusCode status);
