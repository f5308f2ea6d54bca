// Reads from the real zelvox process serving a project imported from a synthetic ESF export
// (256 group addresses to a middle group), beside node-opcua's reference server with as many
// variables, with the same load client of ours: 1,000 values per Read with maxAge 0 and
// 10,000 (one at a time, and four outstanding), single reads with 16 outstanding, the server's CPU
// per Read, and zelvox's start-up time and resident memory per item; the same Read under each
// secured policy with SignAndEncrypt against policy None, with their ratio. The benchmark's
// argument is the number of items; "DeviceReads" runs zelvox with the setting UaDeviceReads 1
// (maxAge 0 queues group reads).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "child_probe.h"
#include "synthetic_esf.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_security_policy.h"
#include "ua_test_certificates.h"
#include "ua_test_client.h"

namespace {
constexpr int kPerRead = 1000;

// One served project: zelvox (or the reference server) with `items` items, running until the
// benchmark program ends.
struct Served {
  std::unique_ptr<ChildProbe> process;
  std::string home;  // zelvox's settings folder
  std::uint16_t port = 0;
  std::vector<UaNodeId> nodes;  // 1,000 items spread over the project
  std::string error;
};

std::string TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvox-bench-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

std::uint16_t PortOf(const std::string& line, const std::regex& pattern) {
  std::smatch m;
  return std::regex_search(line, m, pattern) ? static_cast<std::uint16_t>(std::stoi(m[1])) : 0;
}

// zelvox on the virtual bus with a project of `items` group addresses.
Served StartZelvox(int items, bool deviceReads) {
  Served s;
  std::string dir = TempDir();
  std::string home = dir + "/home";
  s.home = home;
  std::filesystem::create_directories(home);
  std::vector<std::string> env = {"ZELVOX_HOME=" + home};
  SyntheticEsfShape shape;
  shape.addresses = items;
  shape.subsPerMiddle = 256;
  shape.devices = std::min(items, 1000);
  std::ofstream(dir + "/project.esf", std::ios::binary) << SyntheticEsf(shape);
  if (!RunToEnd({ZELVOX_TOOL_PROGRAM, "import-esf", dir + "/project.esf", dir + "/project.zlv"},
                env) ||
      !RunToEnd({ZELVOX_TOOL_PROGRAM, "interface", "set", "Virtual bus", ""}, env)) {
    s.error = "zelvox-tool failed";
    return s;
  }
  std::ofstream(home + "/HKCU.reg", std::ios::app)
      << "\n[Software\\Varnok\\Zelvox\\Parameter]\n\"UaDeviceReads\"=dword:"
      << (deviceReads ? "00000001" : "00000000") << "\n\"PingTime\"=dword:00000000\n";
  s.process = std::make_unique<ChildProbe>(
      std::vector<std::string>{ZELVOX_PROGRAM, "--headless", "--opcua-port", "0",
                               dir + "/project.zlv"},
      env, true, "zelvox: serving");
  s.port = PortOf(s.process->ReadyLine(), std::regex(R"(127\.0\.0\.1:(\d+))"));
  if (s.port == 0) s.error = "zelvox did not start";
  // Item IDs: main group "Floor M", middle group "Function F", leaf the address.
  for (int k = 0; k < kPerRead; ++k) {
    int index = static_cast<int>(static_cast<long long>(k) * items / kPerRead);
    int middle = index / 256;
    std::string main = std::to_string(middle / 8), function = std::to_string(middle % 8);
    s.nodes.push_back(UaNodeId::String(kItemNamespace, "Floor " + main + ".Function " + function +
                                                           "." + main + "/" + function + "/" +
                                                           std::to_string(index % 256)));
  }
  return s;
}

Served StartReference(int items) {
  Served s;
  std::string dir = std::string(ZELVOX_SOURCE_DIR) + "/tests/interop";
  if (!std::filesystem::exists(dir + "/node_modules/node-opcua-server")) {
    s.error = "node-opcua-server not installed (npm ci in tests/interop)";
    return s;
  }
  s.process = std::make_unique<ChildProbe>(
      std::vector<std::string>{"node", dir + "/reference_server.js", std::to_string(items)},
      std::vector<std::string>{}, false, "listening");
  s.port = PortOf(s.process->ReadyLine(), std::regex(R"(listening (\d+))"));
  if (s.port == 0) s.error = "reference server did not start";
  for (int k = 0; k < kPerRead; ++k) {
    int index = static_cast<int>(static_cast<long long>(k) * items / kPerRead);
    s.nodes.push_back(UaNodeId::String(
        kItemNamespace,
        "Main.Values.3/" + std::to_string(index / 256) + "/" + std::to_string(index % 256)));
  }
  return s;
}

enum class Server { Zelvox, ZelvoxDeviceReads, Reference };

// Started once per kind and size, ended when the program ends.
Served& ServedBy(Server kind, int items) {
  static std::map<std::pair<Server, int>, Served> served;
  auto key = std::make_pair(kind, items);
  auto it = served.find(key);
  if (it == served.end()) {
    it = served
             .emplace(key, kind == Server::Reference
                               ? StartReference(items)
                               : StartZelvox(items, kind == Server::ZelvoxDeviceReads))
             .first;
  }
  return it->second;
}

bool Connect(benchmark::State& state, Served& s, UaTestClient& client) {
  if (!s.error.empty()) {
    state.SkipWithError(s.error.c_str());
    return false;
  }
  if (!client.Connect(s.port) || !client.OpenSession()) {
    state.SkipWithError("cannot open a session");
    return false;
  }
  return true;
}

// Values per second and the server's CPU time per Read of 1,000 values.
void ReportReads(benchmark::State& state, double cpuSeconds) {
  state.counters["values_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kPerRead, benchmark::Counter::kIsRate);
  if (state.iterations() > 0) {
    state.counters["server_cpu_ms_per_read"] = cpuSeconds * 1e3 / state.iterations();
  }
}

// The Read one at a time (`outstanding` 0), or with that many outstanding: then the client
// sends the next while the server works, so the server's own speed decides, as with several
// clients at once.
void Read1000(benchmark::State& state, Server kind, double maxAge, int outstanding = 0) {
  Served& s = ServedBy(kind, static_cast<int>(state.range(0)));
  UaTestClient client;
  if (!Connect(state, s, client)) return;
  auto body = UaTestClient::ReadRequestBody(s.nodes, maxAge);
  std::vector<std::uint8_t> response;
  // The first Read of an item that never had a value asks the bus once; not measured.
  client.Call(ua_id::ReadRequest, body, response);
  for (int k = 0; k < outstanding; ++k) client.SendRequest(ua_id::ReadRequest, body);
  double cpu0 = s.process->CpuSeconds();
  for (auto _ : state) {
    const std::uint32_t type = outstanding == 0 ? client.Call(ua_id::ReadRequest, body, response)
                                                : client.ReceiveResponse(response, nullptr);
    if (type != ua_id::ReadResponse ||
        (outstanding > 0 && !client.SendRequest(ua_id::ReadRequest, body))) {
      state.SkipWithError("read failed");
      break;
    }
  }
  double cpu = s.process->CpuSeconds() - cpu0;
  for (int k = 0; k < outstanding; ++k) client.ReceiveResponse(response, nullptr);
  client.CloseSession();  // the reference server keeps few sessions
  ReportReads(state, cpu);
}

void SingleReads16Outstanding(benchmark::State& state, Server kind) {
  Served& s = ServedBy(kind, static_cast<int>(state.range(0)));
  UaTestClient client;
  if (!Connect(state, s, client)) return;
  std::vector<std::vector<std::uint8_t>> bodies;
  for (int k = 0; k < 16; ++k) {
    bodies.push_back(UaTestClient::ReadRequestBody({s.nodes[k * 61]}, 10000));
  }
  std::vector<std::uint8_t> response;
  for (int k = 0; k < 16; ++k) client.SendRequest(ua_id::ReadRequest, bodies[k]);
  std::size_t next = 0;
  double cpu0 = s.process->CpuSeconds();
  for (auto _ : state) {
    if (client.ReceiveResponse(response, nullptr) != ua_id::ReadResponse) {
      state.SkipWithError("read failed");
      break;
    }
    client.SendRequest(ua_id::ReadRequest, bodies[next++ % 16]);
  }
  for (int k = 0; k < 16; ++k) client.ReceiveResponse(response, nullptr);
  double cpu = s.process->CpuSeconds() - cpu0;
  client.CloseSession();
  state.counters["values_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  if (state.iterations() > 0) {
    state.counters["server_cpu_us_per_read"] = cpu * 1e6 / state.iterations();
  }
}

void BM_Zelvox_Read1000_MaxAge0(benchmark::State& state) {
  Read1000(state, Server::Zelvox, 0);
}
void BM_Zelvox_Read1000_MaxAge10000(benchmark::State& state) {
  Read1000(state, Server::Zelvox, 10000);
}
void BM_ZelvoxDeviceReads_Read1000_MaxAge0(benchmark::State& state) {
  Read1000(state, Server::ZelvoxDeviceReads, 0);
}
void BM_Reference_Read1000_MaxAge0(benchmark::State& state) {
  Read1000(state, Server::Reference, 0);
}
void BM_Reference_Read1000_MaxAge10000(benchmark::State& state) {
  Read1000(state, Server::Reference, 10000);
}
void BM_Zelvox_Read1000_MaxAge0_FourOutstanding(benchmark::State& state) {
  Read1000(state, Server::Zelvox, 0, 4);
}
void BM_Reference_Read1000_MaxAge0_FourOutstanding(benchmark::State& state) {
  Read1000(state, Server::Reference, 0, 4);
}
void BM_Zelvox_SingleReads16Outstanding(benchmark::State& state) {
  SingleReads16Outstanding(state, Server::Zelvox);
}
void BM_Reference_SingleReads16Outstanding(benchmark::State& state) {
  SingleReads16Outstanding(state, Server::Reference);
}

// The 1,000-value Read (maxAge 0) over a channel under `policy` with SignAndEncrypt and over one
// with policy None, in turns on the same server: the time of each and the ratio of the two.
void Read1000SignAndEncryptAgainstNone(benchmark::State& state, std::string_view policy) {
  Served& s = ServedBy(Server::Zelvox, static_cast<int>(state.range(0)));
  UaTestClient plain;
  if (!Connect(state, s, plain)) return;
  // The bench client's certificate is put among zelvox's trusted ones.
  const UaApplicationCertificate& mine = SharedTestCertificate(2048, "urn:Varnok:Zelvox:Bench");
  std::filesystem::create_directories(s.home + "/pki/trusted/certs");
  std::ofstream(s.home + "/pki/trusted/certs/bench.der", std::ios::binary) << DerString(mine);
  UaTestClient secured;
  secured.SetSecurity(ClientSecurity(policy, UaSecurityMode::SignAndEncrypt, mine,
                                     "urn:Varnok:Zelvox:Bench", plain.EndpointCertificate()));
  if (!secured.Connect(s.port) || !secured.OpenSession()) {
    state.SkipWithError("cannot open a session under SignAndEncrypt");
    return;
  }
  auto body = UaTestClient::ReadRequestBody(s.nodes, 0);
  std::vector<std::uint8_t> response;
  plain.Call(ua_id::ReadRequest, body, response);
  double noneSeconds = 0;
  double securedSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    bool ok = plain.Call(ua_id::ReadRequest, body, response) == ua_id::ReadResponse;
    auto t1 = std::chrono::steady_clock::now();
    ok = ok && secured.Call(ua_id::ReadRequest, body, response) == ua_id::ReadResponse;
    auto t2 = std::chrono::steady_clock::now();
    if (!ok) {
      state.SkipWithError("read failed");
      break;
    }
    noneSeconds += std::chrono::duration<double>(t1 - t0).count();
    securedSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  plain.CloseSession();
  secured.CloseSession();
  if (state.iterations() == 0 || noneSeconds <= 0) return;
  const double n = static_cast<double>(state.iterations());
  state.counters["none_ms_per_read"] = noneSeconds * 1e3 / n;
  state.counters["encrypted_ms_per_read"] = securedSeconds * 1e3 / n;
  state.counters["ratio"] = securedSeconds / noneSeconds;
}
void BM_Zelvox_Read1000_Basic256Sha256_vs_None(benchmark::State& state) {
  Read1000SignAndEncryptAgainstNone(state, ua_policy::Basic256Sha256);
}
void BM_Zelvox_Read1000_Aes128Sha256RsaOaep_vs_None(benchmark::State& state) {
  Read1000SignAndEncryptAgainstNone(state, ua_policy::Aes128Sha256RsaOaep);
}
void BM_Zelvox_Read1000_Aes256Sha256RsaPss_vs_None(benchmark::State& state) {
  Read1000SignAndEncryptAgainstNone(state, ua_policy::Aes256Sha256RsaPss);
}

// Start-up of zelvox with the project, and its resident memory per item: the difference
// between the two project sizes, so that the program's own memory drops out.
void BM_Zelvox_StartupAndMemory(benchmark::State& state) {
  for (auto _ : state) {
    Served small = StartZelvox(1000, false);
    Served large = StartZelvox(65536, false);
    if (!small.error.empty() || !large.error.empty()) {
      state.SkipWithError("zelvox did not start");
      return;
    }
    state.counters["startup_s_65536"] = large.process->StartSeconds();
    state.counters["startup_s_1000"] = small.process->StartSeconds();
    state.counters["bytes_per_item"] = (static_cast<double>(large.process->ResidentBytes()) -
                                        static_cast<double>(small.process->ResidentBytes())) /
                                       (65536 - 1000);
    state.counters["resident_mb_65536"] =
        static_cast<double>(large.process->ResidentBytes()) / (1 << 20);
  }
}

#define SIZES ->Arg(1000)->Arg(65536)->UseRealTime()
BENCHMARK(BM_Zelvox_Read1000_MaxAge0) SIZES;
BENCHMARK(BM_Zelvox_Read1000_MaxAge10000) SIZES;
BENCHMARK(BM_ZelvoxDeviceReads_Read1000_MaxAge0) SIZES;
BENCHMARK(BM_Reference_Read1000_MaxAge0) SIZES;
BENCHMARK(BM_Reference_Read1000_MaxAge10000) SIZES;
BENCHMARK(BM_Zelvox_Read1000_MaxAge0_FourOutstanding) SIZES;
BENCHMARK(BM_Reference_Read1000_MaxAge0_FourOutstanding) SIZES;
BENCHMARK(BM_Zelvox_SingleReads16Outstanding) SIZES;
BENCHMARK(BM_Reference_SingleReads16Outstanding) SIZES;
BENCHMARK(BM_Zelvox_Read1000_Basic256Sha256_vs_None)->Arg(1000)->UseRealTime();
BENCHMARK(BM_Zelvox_Read1000_Aes128Sha256RsaOaep_vs_None)->Arg(1000)->UseRealTime();
BENCHMARK(BM_Zelvox_Read1000_Aes256Sha256RsaPss_vs_None)->Arg(1000)->UseRealTime();
BENCHMARK(BM_Zelvox_StartupAndMemory)->Iterations(1)->Unit(benchmark::kSecond);
}  // namespace
