// Fuzzes the OPC UA server's message decoding: UA-TCP chunks after a valid Hello and
// OpenSecureChannel, and service request bodies handed straight to the service handler.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
struct NoConnections : UaConnectionDirectory {
  UaConnection* FindConnection(std::uint64_t) override { return nullptr; }
};

std::vector<std::uint8_t> Preamble() {
  std::vector<std::uint8_t> m;
  UaBinaryWriter w(m);
  w.Raw("HELF", 4);
  w.UInt32(32);
  w.UInt32(0);
  w.UInt32(65535);
  w.UInt32(65535);
  w.UInt32(0);
  w.UInt32(0);
  w.NullString();
  std::size_t open = m.size();
  w.Raw("OPNF", 4);
  w.UInt32(0);
  w.UInt32(0);
  w.String("http://opcfoundation.org/UA/SecurityPolicy#None");
  w.NullString();
  w.NullString();
  w.UInt32(1);
  w.UInt32(1);
  w.NodeId(UaNodeId::Numeric(0, ua_id::OpenSecureChannelRequest));
  w.NodeId({});
  w.DateTime(0);
  w.UInt32(1);
  w.UInt32(0);
  w.NullString();
  w.UInt32(0);
  w.NullExtensionObject();
  w.UInt32(0);
  w.UInt32(0);
  w.UInt32(1);
  w.NullString();
  w.UInt32(60000);
  w.PatchUInt32(open + 4, static_cast<std::uint32_t>(m.size() - open));
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
