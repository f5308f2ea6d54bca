// OPC UA soak driver: well-behaved clients read and subscribe while an attacker repeats the
// known probes (tiny message limit, sessionless array Write, unread monitored-item queues,
// hoarded chunks, unactivated sessions, silent connections, a huge browse path). Prints the
// resident-memory ceiling of the process and the read latencies of the well-behaved clients.
//
//   opcua_soak [seconds=600] [readers=90] [subscribers=10]
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server.h"
#include "ua_test_client.h"
#include "ua_test_messages.h"

namespace {
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
constexpr int kItems = 2000;

std::atomic<bool> running{true};

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

UaNodeId Item(int k) {
  return UaNodeId::String(kItemNamespace,
                          "Main.3/" + std::to_string(k / 256) + "/" + std::to_string(k % 256));
}

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Reads ten values every 50 ms and records how long each Read took.
void Reader(std::uint16_t port, int seed, std::vector<double>& latencies, std::mutex& mutex) {
  while (running) {
    UaTestClient client;
    if (!client.Connect(port) || !client.OpenSession()) {
      Pause(100);
      continue;
    }
    std::vector<UaNodeId> nodes;
    for (int k = 0; k < 10; ++k) nodes.push_back(Item((seed * 10 + k) % kItems));
    while (running) {
      auto start = Clock::now();
      auto values = client.Read(nodes, 0);
      double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      if (!values) break;
      {
        std::lock_guard lock(mutex);
        latencies.push_back(ms);
      }
      Pause(50);
    }
  }
}

Bytes MonitorBody(std::uint32_t sub, int first, int count, std::uint32_t queueSize) {
  Bytes body;
  UaBinaryWriter w(body);
  w.UInt32(sub);
  w.UInt32(2);
  w.ArrayLength(count);
  for (int k = 0; k < count; ++k) {
    w.NodeId(Item((first + k) % kItems));
    w.UInt32(ua_attr::Value);
    w.NullString();
    w.QualifiedName({});
    w.UInt32(2);
    w.UInt32(static_cast<std::uint32_t>(k));
    w.Double(10);
    w.NullExtensionObject();
    w.UInt32(queueSize);
    w.Boolean(true);
  }
  return body;
}

std::uint32_t Subscribe(UaTestClient& client, int first, int count, std::uint32_t queueSize) {
  Bytes response;
  std::uint32_t sub = client.CreateSubscription(100, 300, 10);
  if (sub == 0) return 0;
  client.Call(ua_id::CreateMonitoredItemsRequest, MonitorBody(sub, first, count, queueSize),
              response);
  return sub;
}

// Subscribes to 50 items and keeps Publish requests going.
void Subscriber(std::uint16_t port, int seed) {
  while (running) {
    UaTestClient client;
    if (!client.Connect(port) || !client.OpenSession() ||
        Subscribe(client, seed * 50, 50, 1) == 0) {
      Pause(100);
      continue;
    }
    Bytes body, response;
    UaBinaryWriter(body).ArrayLength(0);
    while (running && client.Call(ua_id::PublishRequest, body, response) != 0) {
    }
  }
}

// Changes every value every 100 ms, as a busy bus would.
void Changer(FakeItemTree& tree, std::vector<FakeItem*>& items) {
  float v = 0;
  while (running) {
    v += 1;
    for (FakeItem* item : items) tree.Update(*item, Variant::R4(v));
    Pause(100);
  }
}

// One round of every probe.
void AttackRound(std::uint16_t port) {
  Bytes response;
  {  // 1: a message limit below any response
    UaTestClient c;
    if (c.Connect(port, 20) && c.OpenSession()) c.Read({Item(1)}, 0);
  }
  {  // 2: a sessionless Write of a 4 MB Boolean array
    UaTestClient c;
    if (c.Connect(port)) {
      Bytes body;
      UaBinaryWriter w(body);
      w.ArrayLength(1);
      w.NodeId(Item(2));
      w.UInt32(ua_attr::Value);
      w.NullString();
      w.Byte(0x01);
      w.Byte(0x81);
      w.Int32(4 * 1024 * 1024);
      body.resize(body.size() + 4 * 1024 * 1024, 1);
      c.Call(ua_id::WriteRequest, body, response);
    }
  }
  // 3: 2000 monitored items with queues of 1000 sampled every 10 ms, never published
  std::vector<std::unique_ptr<UaTestClient>> held;
  {
    auto c = std::make_unique<UaTestClient>();
    if (c->Connect(port) && c->OpenSession()) Subscribe(*c, 0, kItems, 1000);
    held.push_back(std::move(c));
  }
  {  // 4: unfinished chunks piling up
    auto c = std::make_unique<UaTestClient>();
    if (c->Connect(port)) {
      for (std::uint32_t k = 0; k < 8; ++k) {
        Bytes chunk;
        UaBinaryWriter w(chunk);
        w.Raw("MSGC", 4);
        w.UInt32(0);
        w.UInt32(0);
        w.UInt32(1);
        w.UInt32(2 + k);
        w.UInt32(100 + k);
        chunk.resize(60000, 0);
        w.PatchUInt32(4, static_cast<std::uint32_t>(chunk.size()));
        c->SendRaw(chunk);
      }
    }
    held.push_back(std::move(c));
  }
  for (int k = 0; k < 98; ++k) {  // 5: sessions never activated
    auto c = std::make_unique<UaTestClient>();
    if (c->Connect(port)) c->CreateSession("squatter");
    held.push_back(std::move(c));
  }
  for (int k = 0; k < 60; ++k) {  // 6: connections that never say Hello
    auto c = std::make_unique<UaTestClient>();
    c->ConnectTcp(port);
    held.push_back(std::move(c));
  }
  {  // 7: a relative path of 940,000 elements
    UaTestClient c;
    if (c.Connect(port) && c.OpenSession()) {
      Bytes body;
      UaBinaryWriter w(body);
      w.ArrayLength(1);
      w.NodeId(UaNodeId::Numeric(0, ua_id::ObjectsFolder));
      w.ArrayLength(940000);
      for (int k = 0; k < 940000; ++k) {
        w.Byte(0);
        w.Byte(0);
        w.Boolean(false);
        w.Boolean(true);
        w.UInt16(0);
        w.Int32(-1);
      }
      c.Call(ua_id::TranslateBrowsePathsRequest, body, response);
    }
  }
  Pause(5000);  // the held connections stay a while, then go
}
}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  int readers = argc > 2 ? std::atoi(argv[2]) : 90;
  int subscribers = argc > 3 ? std::atoi(argv[3]) : 10;

  FakeItemTree tree;
  std::vector<FakeItem*> items;
  for (int k = 0; k < kItems; ++k) {
    items.push_back(&tree.Add("Main",
                              "3/" + std::to_string(k / 256) + "/" + std::to_string(k % 256), VT_R4,
                              Variant::R4(0)));
  }
  UaServerOptions options;
  options.port = 0;
  // Room for the attacker's sessions beside the well-behaved ones, so that its probes that
  // need a session reach the services.
  options.maxSessions = 200;
  UaServer server(tree, options);
  std::string error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "opcua_soak: %s\n", error.c_str());
    return 1;
  }
  std::uint16_t port = server.Port();

  std::mutex mutex;
  std::vector<double> latencies;
  std::vector<std::thread> threads;
  for (int k = 0; k < readers; ++k) {
    threads.emplace_back(Reader, port, k, std::ref(latencies), std::ref(mutex));
  }
  for (int k = 0; k < subscribers; ++k) threads.emplace_back(Subscriber, port, k);
  threads.emplace_back(Changer, std::ref(tree), std::ref(items));
  threads.emplace_back([port] {
    while (running) AttackRound(port);
  });

  long peakKb = 0;
  auto end = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < end) {
    peakKb = std::max(peakKb, ResidentKb());
    Pause(200);
  }
  running = false;
  server.Stop();  // ends the blocked Publish and Read calls
  for (std::thread& t : threads) t.join();

  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) {
    return latencies.empty() ? 0.0
                             : latencies[static_cast<std::size_t>(q * (latencies.size() - 1))];
  };
  std::printf("duration %d s, %d readers, %d subscribers\n", seconds, readers, subscribers);
  std::printf("resident memory peak %.1f MB\n", static_cast<double>(peakKb) / 1024);
  std::printf("reads %zu, latency p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", latencies.size(),
              at(0.5), at(0.99), at(1.0));
  return 0;
}
