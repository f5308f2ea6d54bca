// Opening the KNXnet/IP driver: parameter errors and a server that does not answer.
#include "knx/knxnetip/knxnetip_bus_driver.h"

#include <gtest/gtest.h>

#include "knx/bus_errors.h"
#include "knx/knxnetip/tunnel_server_address.h"

using namespace knxnetip;
using namespace std::chrono_literals;

TEST(TunnelServerAddress, ParsesHostAndPort) {
  auto server = ParseTunnelServer(" 127.0.0.1 ");
  ASSERT_TRUE(server);
  EXPECT_EQ(ntohs(server->sin_port), 3671);
  EXPECT_EQ(ntohl(server->sin_addr.s_addr), 0x7f000001u);
  EXPECT_EQ(ntohs(ParseTunnelServer("localhost:13671")->sin_port), 13671);
  for (const char* bad : {"", ":3671", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536",
                          "127.0.0.1:36x", "127.0.0.1:-1"}) {
    EXPECT_FALSE(ParseTunnelServer(bad)) << bad;
  }
}

TEST(KnxNetIpBusDriver, OpenErrorsAndSendsWithoutTunnel) {
  KnxNetIpBusDriver driver{KnxNetIpDriverTiming{TunnelTiming{}, 300ms, 1000ms}};
  EXPECT_EQ(driver.SendGroupRead(1, PriorityLow, 6), DeviceWriteErrorDriverNotOpen);
  EXPECT_EQ(driver.Open(""), DeviceOpenErrorInvalidDevice);
  EXPECT_EQ(driver.Open("127.0.0.1:x"), DeviceOpenErrorInvalidDevice);
  // Nobody answers on this loopback port: an error, and sends stay refused while the driver
  // keeps trying in the background.
  EXPECT_EQ(driver.Open("127.0.0.1:9"), DeviceOpenErrorDriverOpenError);
  EXPECT_EQ(driver.SendGroupWrite(1, PriorityLow, 6, true, {1}), DeviceWriteErrorDriverNotOpen);
  // A check that cannot be sent says so instead of passing for a silent device.
  EXPECT_EQ(driver.CheckDevice(0x1105).outcome, DeviceCheckResult::Outcome::NotSent);
  // Long frames need one to fourteen data bytes.
  EXPECT_EQ(driver.SendGroupWrite(1, PriorityLow, 6, false, {}), DeviceWriteErrorInvalidMessage);
  EXPECT_EQ(driver.SendGroupWrite(1, PriorityLow, 6, false, std::vector<std::uint8_t>(15)),
            DeviceWriteErrorInvalidMessage);
  driver.Close();
  EXPECT_EQ(driver.SendGroupRead(1, PriorityLow, 6), DeviceWriteErrorDriverNotOpen);
}
