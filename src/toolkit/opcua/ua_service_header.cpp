// Request and response headers of UA services, the ServiceFault, and the server's clock.
#include "toolkit/opcua/ua_service_header.h"

#include <chrono>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server_options.h"

UaDateTime UaNow() {
  // 100 ns ticks between 1601-01-01 and 1970-01-01.
  constexpr std::int64_t kUnixEpoch = 116444736000000000LL;
  auto since = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpoch + std::chrono::duration_cast<std::chrono::microseconds>(since).count() * 10;
}

std::int64_t UaSteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t UaServerOptions::Now() const {
  return clock ? clock() : UaSteadyMs();
}

UaRequestHeader ReadRequestHeader(UaBinaryReader& r) {
  UaRequestHeader h;
  h.authenticationToken = r.NodeId();
  r.DateTime();
  h.requestHandle = r.UInt32();
  r.UInt32();  // return diagnostics: the server returns none
  r.String();  // audit entry id
  h.timeoutHint = r.UInt32();
  r.ExtensionObject();  // additional header
  return h;
}

void WriteResponseHeader(UaBinaryWriter& w, std::uint32_t requestHandle,
                         UaStatusCode serviceResult) {
  w.DateTime(UaNow());
  w.UInt32(requestHandle);
  w.UInt32(serviceResult);
  w.EmptyDiagnosticInfo();
  w.ArrayLength(0);  // string table
  w.NullExtensionObject();
}

std::vector<std::uint8_t> MakeServiceFault(std::uint32_t requestHandle, UaStatusCode status) {
  std::vector<std::uint8_t> out;
  UaBinaryWriter w(out);
  w.NodeId(UaNodeId::Numeric(0, ua_id::ServiceFault));
  WriteResponseHeader(w, requestHandle, status);
  return out;
}
