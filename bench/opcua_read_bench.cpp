// OPC UA server benchmarks with a load client of ours over loopback: Reads of 1000 values per
// call, single-value Reads with 16 outstanding, server CPU per Read, the delay from a value
// change to its notification, and memory per monitored item. The same 1000-value Read runs
// against a node-opcua reference server when Node.js and tests/interop's packages are there.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "child_probe.h"
#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server.h"
#include "ua_test_client.h"

namespace {
constexpr int kItems = 1000;

struct ServedTree {
  explicit ServedTree(int items) {
    for (int k = 0; k < items; ++k) {
      std::string leaf = "3/" + std::to_string(k / 256) + "/" + std::to_string(k % 256);
      FakeItem& item = tree.Add("Main.Values", leaf, VT_R4, Variant::R4(static_cast<float>(k)));
      tags.push_back(&item);
      nodes.push_back(UaNodeId::String(kItemNamespace, "Main.Values." + leaf));
    }
    UaServerOptions options;
    options.port = 0;
    options.maxNodesPerRequest = 100000;
    options.maxMonitoredItemsPerSubscription = 100000;
    // Every monitored item holds its first value, as the memory figure has always counted.
    options.maxQueuedNotificationsPerSession = 100000;
    options.maxQueuedNotifications = 100000;
    server = std::make_unique<UaServer>(tree, options);
    server->Start(nullptr);
  }
  FakeItemTree tree;
  std::vector<FakeItem*> tags;
  std::vector<UaNodeId> nodes;
  std::unique_ptr<UaServer> server;
};

ServedTree& Served() {
  static ServedTree served(kItems);
  return served;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Reads 1000 values per call; `serverCpu` gives the server's CPU seconds so far.
void ReadThousand(benchmark::State& state, std::uint16_t port,
                  const std::function<double()>& serverCpu) {
  UaTestClient client;
  if (!client.Connect(port) || !client.OpenSession()) {
    state.SkipWithError("cannot open a session");
    return;
  }
  auto body = UaTestClient::ReadRequestBody(Served().nodes, 1000);
  std::vector<std::uint8_t> response;
  double cpu0 = serverCpu();
  for (auto _ : state) {
    if (client.Call(ua_id::ReadRequest, body, response) != ua_id::ReadResponse) {
      state.SkipWithError("read failed");
      break;
    }
  }
  double cpu = serverCpu() - cpu0;
  state.counters["values_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kItems, benchmark::Counter::kIsRate);
  if (state.iterations() > 0) {
    state.counters["server_cpu_ms_per_read"] = cpu * 1e3 / state.iterations();
  }
}

void BM_Read1000(benchmark::State& state) {
  // The server runs in this process: its CPU is the process's minus this thread's.
  ReadThousand(state, Served().server->Port(),
               [] { return ProcessCpuSeconds() - ThreadCpuSeconds(); });
}
BENCHMARK(BM_Read1000)->UseRealTime();

void BM_SingleReads16Outstanding(benchmark::State& state) {
  UaTestClient client;
  if (!client.Connect(Served().server->Port()) || !client.OpenSession()) {
    state.SkipWithError("cannot open a session");
    return;
  }
  std::vector<std::vector<std::uint8_t>> bodies;
  for (int k = 0; k < 16; ++k) {
    bodies.push_back(UaTestClient::ReadRequestBody({Served().nodes[k * 37]}, 1000));
  }
  std::vector<std::uint8_t> response;
  for (int k = 0; k < 16; ++k) client.SendRequest(ua_id::ReadRequest, bodies[k]);
  std::size_t next = 0;
  for (auto _ : state) {
    if (client.ReceiveResponse(response, nullptr) != ua_id::ReadResponse) {
      state.SkipWithError("read failed");
      break;
    }
    client.SendRequest(ua_id::ReadRequest, bodies[next++ % 16]);
  }
  for (int k = 0; k < 16; ++k) client.ReceiveResponse(response, nullptr);
  state.counters["values_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SingleReads16Outstanding)->UseRealTime();

// Creates a subscription with the given publishing interval; returns its id (0 on failure).
std::uint32_t Subscribe(UaTestClient& client, double intervalMs) {
  return client.CreateSubscription(intervalMs, 1000, 100);
}

bool Monitor(UaTestClient& client, std::uint32_t subscription, const std::vector<UaNodeId>& nodes,
             std::size_t from, std::size_t count, double samplingMs) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.UInt32(subscription);
  w.UInt32(2);
  w.ArrayLength(count);
  for (std::size_t k = from; k < from + count; ++k) {
    w.NodeId(nodes[k]);
    w.UInt32(ua_attr::Value);
    w.NullString();
    w.QualifiedName({});
    w.UInt32(2);  // reporting
    w.UInt32(static_cast<std::uint32_t>(k));
    w.Double(samplingMs);
    w.NullExtensionObject();
    w.UInt32(1);
    w.Boolean(true);
  }
  return client.Call(ua_id::CreateMonitoredItemsRequest, body, response) ==
         ua_id::CreateMonitoredItemsResponse;
}

// Whether a PublishResponse carries notifications (not a keep-alive).
bool HasNotifications(const std::vector<std::uint8_t>& response) {
  UaBinaryReader r(response.data(), response.size());
  r.UInt32();
  for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.UInt32();
  r.Boolean();
  r.UInt32();
  r.DateTime();
  return r.ArrayLength(1) > 0;
}

void BM_ChangeToNotification(benchmark::State& state) {
  constexpr double kInterval = 50;
  ServedTree& served = Served();
  UaTestClient client;
  std::uint32_t sub = 0;
  if (!client.Connect(served.server->Port()) || !client.OpenSession() ||
      (sub = Subscribe(client, kInterval)) == 0 || !Monitor(client, sub, served.nodes, 5, 1, 0)) {
    state.SkipWithError("cannot subscribe");
    return;
  }
  std::vector<std::uint8_t> publish{0, 0, 0, 0}, response;  // no acknowledgements
  // Take the initial value first.
  do {
    client.Call(ua_id::PublishRequest, publish, response);
  } while (!HasNotifications(response));
  float value = 0;
  double worst = 0;
  int round = 0;
  for (auto _ : state) {
    client.SendRequest(ua_id::PublishRequest, publish);
    // Changes land at different points of the publishing cycle.
    std::this_thread::sleep_for(std::chrono::milliseconds(7 * (round++ % 7)));
    auto start = std::chrono::steady_clock::now();
    served.tree.Update(*served.tags[5], Variant::R4(value += 1));
    while (client.ReceiveResponse(response, nullptr) == ua_id::PublishResponse &&
           !HasNotifications(response)) {
      client.SendRequest(ua_id::PublishRequest, publish);
    }
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    worst = std::max(worst, ms);
    state.SetIterationTime(ms / 1e3);
  }
  state.counters["worst_ms"] = worst;
  state.counters["publishing_interval_ms"] = kInterval;
}
BENCHMARK(BM_ChangeToNotification)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_MonitoredItemMemory(benchmark::State& state) {
  constexpr int kMany = 65536;
  for (auto _ : state) {
    auto served = std::make_unique<ServedTree>(kMany);
    UaTestClient client;
    std::uint32_t sub = 0;
    if (!client.Connect(served->server->Port()) || !client.OpenSession() ||
        (sub = Subscribe(client, 1000)) == 0) {
      state.SkipWithError("cannot subscribe");
      return;
    }
    std::size_t before = ResidentBytes();
    for (std::size_t from = 0; from < kMany; from += 8192) {
      if (!Monitor(client, sub, served->nodes, from, 8192, 1000)) {
        state.SkipWithError("cannot monitor");
        return;
      }
    }
    state.counters["bytes_per_monitored_item"] =
        static_cast<double>(ResidentBytes() - before) / kMany;
  }
}
BENCHMARK(BM_MonitoredItemMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The reference: node-opcua's server with the same 1000 variables, in a child process.
void BM_Read1000_NodeOpcuaReference(benchmark::State& state) {
  std::string dir = std::string(ZELVOX_SOURCE_DIR) + "/tests/interop";
  if (access((dir + "/node_modules/node-opcua-server").c_str(), F_OK) != 0) {
    state.SkipWithError("node-opcua-server not installed (npm ci in tests/interop)");
    return;
  }
  ChildProbe reference({"node", dir + "/reference_server.js", std::to_string(kItems)}, {}, false,
                       "listening");
  // The library logs to stdout too: the port comes on the line that starts "listening".
  unsigned port = 0;
  if (!reference.Running() ||
      std::sscanf(reference.ReadyLine().c_str(), "listening %u", &port) != 1) {
    state.SkipWithError("reference server did not start");
    return;
  }
  ReadThousand(state, static_cast<std::uint16_t>(port), [&] { return reference.CpuSeconds(); });
}
BENCHMARK(BM_Read1000_NodeOpcuaReference)->UseRealTime();
}  // namespace
