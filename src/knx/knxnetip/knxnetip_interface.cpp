// The registry entry of the KNXnet/IP tunnelling driver.
#include "knx/knxnetip/knxnetip_interface.h"

#include "knx/knxnetip/knxnetip_bus_driver.h"

namespace knxnetip {

BusDriverEntry KnxNetIpDriverEntry() {
  return BusDriverEntry{kKnxNetIpTunnellingGuid, kKnxNetIpTunnellingName, "127.0.0.1:3671",
                        [] { return std::make_shared<KnxNetIpBusDriver>(); }};
}

}  // namespace knxnetip
