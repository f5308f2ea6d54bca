// The chooser's check of connection parameters, by interface.
#include "knx/connection_parameter_check.h"

#include <gtest/gtest.h>

#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/virtual_bus/virtual_bus_interface.h"

TEST(ConnectionParameterCheck, EachInterfaceChecksItsOwnForm) {
  const Guid tunnel = knxnetip::kKnxNetIpTunnellingGuid;
  EXPECT_EQ(ConnectionParameterProblem(tunnel, "192.168.1.10:3671,nat"), "");
  EXPECT_EQ(ConnectionParameterProblem(tunnel, "knx-gateway"), "");
  EXPECT_NE(ConnectionParameterProblem(tunnel, "192.168.1.10:70000").find("port"),
            std::string::npos);
  EXPECT_NE(ConnectionParameterProblem(tunnel, "").find("host is missing"), std::string::npos);

  EXPECT_EQ(ConnectionParameterProblem(kVirtualBusGuid, ""), "");
  EXPECT_EQ(ConnectionParameterProblem(kVirtualBusGuid, "name=demo;devices=1.1.1"), "");
  // A tunnelling address is no virtual bus parameter, and the other way round.
  EXPECT_NE(ConnectionParameterProblem(kVirtualBusGuid, "192.168.1.10"), "");
  EXPECT_NE(ConnectionParameterProblem(tunnel, "name=demo"), "");
  // An interface the check does not know takes any text.
  EXPECT_EQ(ConnectionParameterProblem(Guid{}, "anything"), "");
}
