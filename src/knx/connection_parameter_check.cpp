// The parameter checks of the KNXnet/IP tunnelling and virtual bus interfaces.
#include "knx/connection_parameter_check.h"

#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/knxnetip/tunnel_server_address.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "knx/virtual_bus/virtual_bus_parameter.h"

std::string ConnectionParameterProblem(const Guid& interfaceGuid, std::string_view parameter) {
  if (interfaceGuid == knxnetip::kKnxNetIpTunnellingGuid) {
    std::string error;
    if (!knxnetip::SplitTunnelServer(parameter, &error)) return error;
  } else if (interfaceGuid == kVirtualBusGuid) {
    if (!ParseVirtualBusParameter(parameter))
      return "not a virtual bus parameter: key=value settings separated by \";\" (name, "
             "devices, answer, checktimeout), each key at most once";
  }
  return {};
}
