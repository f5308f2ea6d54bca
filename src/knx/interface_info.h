// InterfaceInfo: a bus interface as the chooser reports it.
#pragma once

#include <cstdint>
#include <string>

#include "knx/guid.h"

struct InterfaceInfo {
  std::string name;                 // Windows-1252; empty when the user cancelled the choice
  std::int32_t isDefault = 0;       // 0 when this interface is not the component's default
  Guid interfaceGuid;               // selects the driver that BusDevice::Open uses
  std::string connectionParameter;  // Windows-1252, driver-specific (e.g. "host:port")
};
