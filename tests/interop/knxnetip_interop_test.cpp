// The KNXnet/IP driver against knxd as tunnel server, inside a private network namespace.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "child_process.h"
#include "device_responder.h"
#include "interop_helpers.h"
#include "knx/bus_errors.h"
#include "knx/knxnetip/knxnetip_bus_driver.h"
#include "knx/knxnetip/tunnel_server_address.h"

using namespace knxnetip;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Seen {
  GroupTelegram telegram;
  bool confirm = false;
  bool error = false;
  std::chrono::steady_clock::time_point at;
};

class RecordingListener : public BusDriverListener {
 public:
  void OnGroupTelegram(const GroupTelegram& telegram) override {
    Add({telegram, false, false, {}});
  }
  void OnGroupConfirm(const GroupTelegram& telegram, bool error) override {
    Add({telegram, true, error, {}});
  }
  void OnConnectionState(bool) override {}
  // The first event after index `from` that matches; waits up to 5 s.
  std::optional<Seen> WaitFor(std::uint16_t group, std::int32_t apci, bool confirm,
                              std::size_t from = 0) {
    std::unique_lock lock(m_mutex);
    std::optional<Seen> found;
    m_changed.wait_for(lock, 5s, [&] {
      for (std::size_t i = from; i < m_seen.size(); ++i) {
        const Seen& s = m_seen[i];
        if (s.telegram.groupAddress == group && s.telegram.apci == apci && s.confirm == confirm) {
          found = s;
          return true;
        }
      }
      return false;
    });
    return found;
  }
  std::size_t size() {
    std::lock_guard lock(m_mutex);
    return m_seen.size();
  }

 private:
  void Add(Seen s) {
    s.at = std::chrono::steady_clock::now();
    {
      std::lock_guard lock(m_mutex);
      m_seen.push_back(std::move(s));
    }
    m_changed.notify_all();
  }
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Seen> m_seen;
};

constexpr std::uint16_t kGroup123 = 0x0a03;  // 1/2/3

class KnxdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnlyLoopback()) GTEST_SKIP() << "needs a private network namespace with only loopback";
    char pattern[] = "/tmp/zelvox-knxd-XXXXXX";
    m_dir = mkdtemp(pattern);
    m_socket = (m_dir / "server.sock").string();
    ASSERT_TRUE(StartKnxd());
    m_listen = m_dir / "listen.log";
    ASSERT_TRUE(m_listenerProcess.Start({"knxtool", "groupsocketlisten", "local:" + m_socket},
                                        m_listen.string()));
  }
  void TearDown() override {
    m_driver.SetListener(nullptr);
    m_driver.Close();
    m_listenerProcess.Stop();
    m_knxd.Stop();
    if (!m_dir.empty()) fs::remove_all(m_dir);
  }

  bool StartKnxd() {
    return ::StartKnxd(m_knxd, m_socket, kPort, m_dir / "knxd.log") &&
           (std::this_thread::sleep_for(50ms), true);
  }
  std::string Parameter() const { return "127.0.0.1:" + std::to_string(kPort); }
  // knxtool with the server socket inserted after the command.
  int Knxtool(const std::string& command, std::vector<std::string> args) {
    std::vector<std::string> all{"knxtool", command, "local:" + m_socket};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(all);
  }
  bool Listened(const std::string& line) {
    return Eventually([&] { return ReadFile(m_listen).find(line) != std::string::npos; });
  }

  static constexpr int kPort = 13671;
  fs::path m_dir;
  std::string m_socket;
  fs::path m_listen;
  ChildProcess m_knxd;
  ChildProcess m_listenerProcess;
  RecordingListener m_events;
  KnxNetIpBusDriver m_driver{KnxNetIpDriverTiming{TunnelTiming{}, 3000ms, 1000ms}};
};

}  // namespace

TEST_F(KnxdTest, GroupTrafficBothWays) {
  m_driver.SetListener(&m_events);
  ASSERT_EQ(m_driver.Open(Parameter()), DeviceOpenErrorNoError);

  // From knxtool to us, short and long form.
  ASSERT_EQ(Knxtool("groupswrite", {"1/2/3", "1"}), 0);
  auto write = m_events.WaitFor(kGroup123, APciValueWrite, false);
  ASSERT_TRUE(write);
  EXPECT_EQ(write->telegram.data, (std::vector<std::uint8_t>{0x01}));
  ASSERT_EQ(Knxtool("groupwrite", {"1/2/4", "0c", "1a"}), 0);
  write = m_events.WaitFor(0x0a04, APciValueWrite, false);
  ASSERT_TRUE(write);
  EXPECT_EQ(write->telegram.data, (std::vector<std::uint8_t>{0x0c, 0x1a}));

  // From us to knxtool, with a positive confirmation carrying the data.
  EXPECT_EQ(m_driver.SendGroupWrite(0x0a05, PriorityLow, 6, true, {0x01}), DeviceWriteErrorNoError);
  auto confirm = m_events.WaitFor(0x0a05, APciValueWrite, true);
  ASSERT_TRUE(confirm);
  EXPECT_FALSE(confirm->error);
  EXPECT_EQ(confirm->telegram.data, (std::vector<std::uint8_t>{0x01}));
  EXPECT_TRUE(Listened("Write from 1.0.10 to 1/2/5: 01"));
  EXPECT_EQ(m_driver.SendGroupWrite(0x0a06, PriorityLow, 6, false, {0x0c, 0x33, 0x00, 0xff}),
            DeviceWriteErrorNoError);
  confirm = m_events.WaitFor(0x0a06, APciValueWrite, true);
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->telegram.data, (std::vector<std::uint8_t>{0x0c, 0x33, 0x00, 0xff}));
  EXPECT_TRUE(Listened("Write from 1.0.10 to 1/2/6: 0C 33 00 FF"));

  // A group read, confirmed, then answered through knxtool.
  EXPECT_EQ(m_driver.SendGroupRead(0x0a07, PriorityLow, 6), DeviceWriteErrorNoError);
  ASSERT_TRUE(m_events.WaitFor(0x0a07, APciValueRead, true));
  EXPECT_TRUE(Listened("Read from 1.0.10 to 1/2/7"));
  ASSERT_EQ(Knxtool("groupsresponse", {"1/2/7", "1"}), 0);
  auto response = m_events.WaitFor(0x0a07, APciValueResponse, false);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->telegram.data, (std::vector<std::uint8_t>{0x01}));
  // Round trip from send to confirmation, reported for the record.
  std::vector<double> micros;
  for (int i = 0; i < 50; ++i) {
    const std::size_t from = m_events.size();
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(m_driver.SendGroupWrite(0x0b01, PriorityLow, 6, true, {1}), DeviceWriteErrorNoError);
    auto con = m_events.WaitFor(0x0b01, APciValueWrite, true, from);
    ASSERT_TRUE(con);
    micros.push_back(std::chrono::duration<double, std::micro>(con->at - sent).count());
  }
  std::sort(micros.begin(), micros.end());
  std::printf("group write to L_Data.con round trip: median %.0f us over %zu\n",
              micros[micros.size() / 2], micros.size());
}

TEST_F(KnxdTest, DeviceCheckFindsTheAnsweringDeviceOnly) {
  auto server = ParseTunnelServer(Parameter());
  ASSERT_TRUE(server);
  DeviceResponder responder({0x1105});  // 1.1.5, outside knxd's address pool
  ASSERT_TRUE(responder.Start(server->address));
  ASSERT_EQ(m_driver.Open(Parameter()), DeviceOpenErrorNoError);

  EXPECT_EQ(m_driver.CheckDevice(0x1105), std::optional<std::uint16_t>(0x1105));
  EXPECT_EQ(responder.answered(), 1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(m_driver.CheckDevice(0x1106));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
  // A check of the same device again after the silent one.
  EXPECT_EQ(m_driver.CheckDevice(0x1105), std::optional<std::uint16_t>(0x1105));

  // CancelCheck ends a running check with no answer.
  std::thread cancel([&] {
    std::this_thread::sleep_for(100ms);
    m_driver.CancelCheck();
  });
  EXPECT_FALSE(m_driver.CheckDevice(0x1107));
  cancel.join();
  responder.Stop();
}

TEST_F(KnxdTest, ReconnectsAfterKnxdRestart) {
  m_driver.SetListener(&m_events);
  ASSERT_EQ(m_driver.Open(Parameter()), DeviceOpenErrorNoError);
  EXPECT_EQ(m_driver.SendGroupWrite(0x0a05, PriorityLow, 6, true, {0x01}), DeviceWriteErrorNoError);
  ASSERT_TRUE(m_events.WaitFor(0x0a05, APciValueWrite, true));

  m_listenerProcess.Stop();
  m_knxd.Stop();
  ASSERT_TRUE(StartKnxd());
  ASSERT_TRUE(m_listenerProcess.Start({"knxtool", "groupsocketlisten", "local:" + m_socket},
                                      m_listen.string()));
  const auto restarted = std::chrono::steady_clock::now();
  // Writes sent into the dead tunnel come back as failed confirmations; within 10 s one goes
  // through the new tunnel.
  bool through = false;
  while (!through && std::chrono::steady_clock::now() - restarted < 10s) {
    const std::size_t from = m_events.size();
    if (m_driver.SendGroupWrite(0x0a08, PriorityLow, 6, true, {0x01}) == DeviceWriteErrorNoError) {
      auto con = m_events.WaitFor(0x0a08, APciValueWrite, true, from);
      through = con && !con->error;
    } else {
      std::this_thread::sleep_for(200ms);
    }
  }
  EXPECT_TRUE(through);
  std::printf("served again %.1f s after the restart\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - restarted).count());
  // The new knxd may give the tunnel another address from its pool.
  EXPECT_TRUE(Listened(" to 1/2/8: 01"));
}
