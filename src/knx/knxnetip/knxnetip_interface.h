// The "KNXnet/IP tunnelling" bus interface: its fixed GUID and its driver registry entry.
#pragma once

#include "knx/bus_component.h"
#include "knx/guid.h"

namespace knxnetip {

inline constexpr Guid kKnxNetIpTunnellingGuid =
    GuidLiteral("{3F6A2C81-5D94-4B7E-9C13-8E2A7D05B4F6}");
inline constexpr const char* kKnxNetIpTunnellingName = "KNXnet/IP tunnelling";

// Name, GUID, default parameter "127.0.0.1:3671" (a local knxd) and a factory of
// KnxNetIpBusDriver.
BusDriverEntry KnxNetIpDriverEntry();

}  // namespace knxnetip
