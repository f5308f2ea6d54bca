// The "Virtual bus" interface: its fixed GUID and its driver registry entry.
#pragma once

#include "knx/bus_component.h"
#include "knx/guid.h"

inline constexpr Guid kVirtualBusGuid = GuidLiteral("{8C4E1B27-6A3D-4F95-B2E8-15D7C9A0F364}");
inline constexpr const char* kVirtualBusName = "Virtual bus";

// Name, GUID, an empty default parameter (the bus named "") and a factory of VirtualBusDriver.
BusDriverEntry VirtualBusDriverEntry();
