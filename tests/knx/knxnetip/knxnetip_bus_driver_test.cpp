// The KNXnet/IP driver: parameter errors, a server that does not answer, and a server whose data
// endpoint is a port of its own.
#include "knx/knxnetip/knxnetip_bus_driver.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "fake_tunnel_server.h"

#include "knx/bus_errors.h"
#include "knx/knxnetip/tunnel_server_address.h"

using namespace knxnetip;
using namespace std::chrono_literals;

TEST(TunnelServerAddress, ParsesHostAndPort) {
  auto server = ParseTunnelServer(" 127.0.0.1 ");
  ASSERT_TRUE(server);
  EXPECT_EQ(ntohs(server->address.sin_port), 3671);
  EXPECT_EQ(ntohl(server->address.sin_addr.s_addr), 0x7f000001u);
  EXPECT_FALSE(server->nat);
  EXPECT_EQ(ntohs(ParseTunnelServer("localhost:13671")->address.sin_port), 13671);
  // ",nat" asks for route-back endpoints.
  auto nat = ParseTunnelServer("127.0.0.1:13671, nat");
  ASSERT_TRUE(nat);
  EXPECT_TRUE(nat->nat);
  EXPECT_EQ(ntohs(nat->address.sin_port), 13671);
  EXPECT_TRUE(ParseTunnelServer("localhost,nat")->nat);
  for (const char* bad :
       {"", ":3671", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:36x",
        "127.0.0.1:-1", "127.0.0.1,", "127.0.0.1,route", ",nat"}) {
    EXPECT_FALSE(ParseTunnelServer(bad)) << bad;
  }
}

TEST(TunnelServerAddress, SplitNamesTheWrongPartWithoutResolving) {
  auto text = SplitTunnelServer("gateway-2.example:3700 ,nat");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->host, "gateway-2.example");
  EXPECT_EQ(text->port, 3700);
  EXPECT_TRUE(text->nat);
  EXPECT_FALSE(text->hostIsAddress);
  EXPECT_TRUE(SplitTunnelServer("10.0.0.1")->hostIsAddress);
  const std::pair<const char*, const char*> bad[] = {
      {"", "the host is missing"},
      {":3671", "the host is missing"},
      {"127.0.0.1:0", "the port \"0\" is no number from 1 to 65535"},
      {"127.0.0.1:36x", "the port \"36x\""},
      {"127.0.0.1:", "the port \"\""},
      {"192.168.1.300", "the host \"192.168.1.300\" is neither"},
      {"1.2.3", "the host \"1.2.3\" is neither"},
      {"gate way", "the host \"gate way\" is neither"},
      {"-gateway", "is neither"},
      {"gateway..lan", "is neither"},
      {"127.0.0.1,route", "\"route\" after the comma is no option"},
  };
  for (const auto& [parameter, reason] : bad) {
    std::string error;
    EXPECT_FALSE(SplitTunnelServer(parameter, &error)) << parameter;
    EXPECT_NE(error.find(reason), std::string::npos) << parameter << ": " << error;
    EXPECT_FALSE(ParseTunnelServer(parameter)) << parameter;
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

namespace {

class RecordingDriverListener : public BusDriverListener {
 public:
  void OnGroupTelegram(const GroupTelegram&) override {}
  void OnGroupConfirm(const GroupTelegram& telegram, bool error) override {
    std::lock_guard lock(mutex);
    confirms.emplace_back(telegram.groupAddress, error);
  }
  void OnConnectionState(bool connected) override {
    std::lock_guard lock(mutex);
    states.push_back(connected);
  }
  template <typename T>
  T Get(const T& field) {
    std::lock_guard lock(mutex);
    return field;
  }
  std::mutex mutex;
  std::vector<std::pair<std::uint16_t, bool>> confirms;
  std::vector<bool> states;
};

template <typename Predicate>
bool Within(std::chrono::milliseconds limit, Predicate done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

}  // namespace

TEST(KnxNetIpBusDriver, TalksToTheDataEndpointAndReportsTheLinkState) {
  FakeTunnelServer server;
  ASSERT_TRUE(server.ok());
  KnxNetIpDriverTiming timing{TunnelTiming{}, 2000ms, 1000ms};
  timing.tunnel.firstRetryDelay = 20ms;
  KnxNetIpBusDriver driver{timing};
  RecordingDriverListener listener;
  ASSERT_EQ(driver.Open("127.0.0.1:" + std::to_string(server.controlPort())),
            DeviceOpenErrorNoError);
  driver.SetListener(&listener);
  // The write travels to the data port; its ack and confirmation come back from there.
  ASSERT_EQ(driver.SendGroupWrite(0x0a03, PriorityLow, 6, true, {1}), DeviceWriteErrorNoError);
  ASSERT_TRUE(Within(2s, [&] { return !listener.Get(listener.confirms).empty(); }));
  EXPECT_EQ(listener.Get(listener.confirms),
            (std::vector<std::pair<std::uint16_t, bool>>{{0x0a03, false}}));
  EXPECT_EQ(server.misdirected(), 0);

  // A device's answer addressed to another client is not the answer to our check.
  server.PlayDevice(0x1105, 0x1109);
  EXPECT_EQ(driver.CheckDevice(0x1105).outcome, DeviceCheckResult::Outcome::Silent);
  server.PlayDevice(0x1105, FakeTunnelServer::kTunnelAddress);
  EXPECT_EQ(driver.CheckDevice(0x1105), DeviceCheckResult::Answer(0x1105));

  // The server ends the tunnel: the listener hears of the loss and of the new tunnel.
  EXPECT_TRUE(listener.Get(listener.states).empty());
  server.Disconnect();
  ASSERT_TRUE(Within(3s, [&] { return listener.Get(listener.states).size() == 2; }));
  EXPECT_EQ(listener.Get(listener.states), (std::vector<bool>{false, true}));
  EXPECT_EQ(server.connects(), 2);
  driver.Close();
}

TEST(KnxNetIpBusDriver, ALinkThatCameUpAfterOpensAnswerIsToldToTheListener) {
  FakeTunnelServer server;
  ASSERT_TRUE(server.ok());
  server.AnswerConnects(false);
  KnxNetIpDriverTiming timing{TunnelTiming{}, 100ms, 1000ms};
  timing.tunnel.connectTimeout = 100ms;
  timing.tunnel.firstRetryDelay = 20ms;
  KnxNetIpBusDriver driver{timing};
  ASSERT_EQ(driver.Open("127.0.0.1:" + std::to_string(server.controlPort())),
            DeviceOpenErrorDriverOpenError);
  // The tunnel comes up before anyone listens.
  server.AnswerConnects(true);
  ASSERT_TRUE(Within(
      3s, [&] { return driver.SendGroupRead(0x0a03, PriorityLow, 6) == DeviceWriteErrorNoError; }));
  RecordingDriverListener listener;
  driver.SetListener(&listener);
  EXPECT_EQ(listener.Get(listener.states), std::vector<bool>{true});
  // Told once only.
  driver.SetListener(&listener);
  EXPECT_EQ(listener.Get(listener.states).size(), 1u);
  driver.SetListener(nullptr);
  driver.Close();
}
