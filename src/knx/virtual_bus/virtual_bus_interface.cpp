// The registry entry of the virtual bus driver.
#include "knx/virtual_bus/virtual_bus_interface.h"

#include "knx/virtual_bus/virtual_bus_driver.h"

BusDriverEntry VirtualBusDriverEntry() {
  return BusDriverEntry{kVirtualBusGuid, kVirtualBusName, "",
                        [] { return std::make_shared<VirtualBusDriver>(); }};
}
