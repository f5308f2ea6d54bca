// Registration of the KNXnet/IP tunnelling and virtual bus drivers.
#include "knx/bus_drivers.h"

#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/virtual_bus/virtual_bus_interface.h"

void RegisterBusDrivers(BusComponent& component) {
  component.RegisterDriver(knxnetip::KnxNetIpDriverEntry());
  component.RegisterDriver(VirtualBusDriverEntry());
}
