// Fuzzes the OPC UA server's message decoding: UA-TCP chunks after a valid Hello and
// OpenSecureChannel, and service request bodies handed straight to the service handler.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"
#include "ua_test_messages.h"

namespace {
struct NoConnections : UaConnectionDirectory {
  UaConnection* FindConnection(std::uint64_t) override { return nullptr; }
};

std::vector<std::uint8_t> Preamble() {
  std::vector<std::uint8_t> m = UaHelloMessage(65535, 65535);
  std::vector<std::uint8_t> open = UaOpenMessage(1, 1);
  m.insert(m.end(), open.begin(), open.end());
  return m;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static COPCCallback callback;
  static UaServerOptions options;
  static NoConnections directory;
  UaServiceHandler handler(callback, options, directory);
  UaConnection connection(2, 1, UaConnectionLimits{}, 0);
  static const std::vector<std::uint8_t> preamble = Preamble();
  connection.Receive(preamble.data(), preamble.size(), 0, handler);
  connection.Receive(data, size, 0, handler);
  connection.CheckTimeouts(1000000);
  UaBinaryReader body(data, size);
  handler.OnServiceRequest(connection, 1, body);
  return 0;
}
