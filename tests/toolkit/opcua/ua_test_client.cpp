// UaTestClient: a minimal blocking OPC UA client for tests and benchmarks.
#include "ua_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "ua_test_messages.h"

namespace {
void WriteRequestHeader(UaBinaryWriter& w, const UaNodeId& token, std::uint32_t handle) {
  w.NodeId(token);
  w.DateTime(0);
  w.UInt32(handle);
  w.UInt32(0);
  w.NullString();
  w.UInt32(10000);
  w.NullExtensionObject();
}
}  // namespace

UaTestClient::~UaTestClient() {
  if (m_fd >= 0) close(m_fd);
}

bool UaTestClient::SendAll(const std::vector<std::uint8_t>& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool UaTestClient::ReceiveChunk(std::string& type, std::vector<std::uint8_t>& payload) {
  std::uint8_t header[8];
  std::size_t got = 0;
  while (got < 8) {
    ssize_t n = recv(m_fd, header + got, 8 - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  type.assign(reinterpret_cast<const char*>(header), 4);
  std::uint32_t size = header[4] | (header[5] << 8) | (header[6] << 16) |
                       (static_cast<std::uint32_t>(header[7]) << 24);
  if (size < 8) return false;
  payload.resize(size - 8);
  got = 0;
  while (got < payload.size()) {
    ssize_t n = recv(m_fd, payload.data() + got, payload.size() - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool UaTestClient::ConnectTcp(std::uint16_t port) {
  m_fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  int one = 1;
  setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

bool UaTestClient::Connect(std::uint16_t port, std::uint32_t maxMessageSize) {
  if (!ConnectTcp(port)) return false;
  std::string type;
  std::vector<std::uint8_t> payload;
  if (!SendAll(UaHelloMessage(65535, 65535, maxMessageSize)) || !ReceiveChunk(type, payload) ||
      type != "ACKF") {
    return false;
  }
  ++m_sequence;
  if (!SendAll(UaOpenMessage(m_sequence, ++m_requestId)) || !ReceiveChunk(type, payload) ||
      type != "OPNF")
    return false;
  try {
    UaBinaryReader r(payload.data(), payload.size());
    r.UInt32();
    r.String();
    r.ByteString();
    r.ByteString();
    r.UInt32();
    r.UInt32();
    r.NodeId();
    r.DateTime();
    r.UInt32();
    if (r.UInt32() != ua_status::Good) return false;
    r.SkipDiagnosticInfo();
    for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
    r.ExtensionObject();
    r.UInt32();
    m_channelId = r.UInt32();
    m_tokenId = r.UInt32();
  } catch (const UaDecodeError&) {
    return false;
  }
  return true;
}

bool UaTestClient::SendRequest(std::uint32_t requestType, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> request;
  UaBinaryWriter r(request);
  r.NodeId(UaNodeId::Numeric(0, requestType));
  WriteRequestHeader(r, m_authenticationToken, ++m_requestId);
  r.Raw(body.data(), body.size());
  // Chunks of at most the 65535 bytes the server accepts.
  constexpr std::size_t kPerChunk = 65535 - 24;
  std::vector<std::uint8_t> msg;
  for (std::size_t offset = 0; offset < request.size(); offset += kPerChunk) {
    std::size_t n = std::min(kPerChunk, request.size() - offset);
    std::size_t start = msg.size();
    UaBinaryWriter w(msg);
    w.Raw("MSG", 3);
    w.Byte(offset + n == request.size() ? 'F' : 'C');
    w.UInt32(0);
    w.UInt32(m_channelId);
    w.UInt32(m_tokenId);
    w.UInt32(++m_sequence);
    w.UInt32(m_requestId);
    w.Raw(request.data() + offset, n);
    w.PatchUInt32(start + 4, static_cast<std::uint32_t>(msg.size() - start));
  }
  return SendAll(msg);
}

std::uint32_t UaTestClient::ReceiveResponse(std::vector<std::uint8_t>& response,
                                            UaStatusCode* serviceResult) {
  std::vector<std::uint8_t> whole;
  std::string type;
  std::vector<std::uint8_t> payload;
  do {
    if (!ReceiveChunk(type, payload) || type.substr(0, 3) != "MSG" || payload.size() < 16) {
      return 0;
    }
    whole.insert(whole.end(), payload.begin() + 16, payload.end());
  } while (type[3] == 'C');
  try {
    UaBinaryReader r(whole.data(), whole.size());
    std::uint32_t responseType = r.NodeId().numeric;
    r.DateTime();
    r.UInt32();
    UaStatusCode result = r.UInt32();
    if (serviceResult) *serviceResult = result;
    r.SkipDiagnosticInfo();
    for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
    r.ExtensionObject();
    response.assign(r.Current(), r.Current() + r.Remaining());
    return responseType;
  } catch (const UaDecodeError&) {
    return 0;
  }
}

std::uint32_t UaTestClient::Call(std::uint32_t requestType, const std::vector<std::uint8_t>& body,
                                 std::vector<std::uint8_t>& response, UaStatusCode* serviceResult) {
  if (!SendRequest(requestType, body)) return 0;
  return ReceiveResponse(response, serviceResult);
}

bool UaTestClient::OpenSession() {
  return CreateSession() == ua_status::Good &&
         ActivateSession(AnonymousIdentity()) == ua_status::Good;
}

UaStatusCode UaTestClient::CreateSession(const std::string& name) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.NullString();  // application description
  w.NullString();
  w.LocalizedText({});
  w.UInt32(1);
  w.NullString();
  w.NullString();
  w.ArrayLength(0);
  w.NullString();  // server URI
  w.String("opc.tcp://127.0.0.1");
  w.String(name);
  w.NullString();
  w.NullString();
  w.Double(60000);
  w.UInt32(0);
  UaStatusCode result = ua_status::Good;
  if (Call(ua_id::CreateSessionRequest, body, response, &result) != ua_id::CreateSessionResponse) {
    return result == ua_status::Good ? ua_status::Bad : result;
  }
  UaBinaryReader r(response.data(), response.size());
  r.NodeId();
  m_authenticationToken = r.NodeId();
  r.Double();
  m_serverNonce = r.ByteString();
  m_serverCertificate = r.ByteString();
  return ua_status::Good;
}

UaExtensionObject UaTestClient::UserNameIdentity(const std::string& policyId,
                                                 const std::string& user, const std::string& secret,
                                                 const std::string& algorithm) {
  UaExtensionObject token;
  token.typeId = UaNodeId::Numeric(0, ua_id::UserNameIdentityToken);
  token.encoding = 1;
  std::vector<std::uint8_t> body;
  UaBinaryWriter w(body);
  w.String(policyId);
  w.String(user);
  w.ByteString(secret);
  w.String(algorithm);
  token.body.assign(body.begin(), body.end());
  return token;
}

UaExtensionObject UaTestClient::AnonymousIdentity(const std::string& policyId) {
  UaExtensionObject token;
  token.typeId = UaNodeId::Numeric(0, ua_id::AnonymousIdentityToken);
  token.encoding = 1;
  std::vector<std::uint8_t> body;
  UaBinaryWriter w(body);
  w.String(policyId);
  token.body.assign(body.begin(), body.end());
  return token;
}

UaStatusCode UaTestClient::ActivateSession(const UaExtensionObject& identity) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.NullString();  // client signature
  w.NullString();
  w.ArrayLength(0);
  w.ArrayLength(0);
  w.ExtensionObject(identity);
  w.NullString();
  w.NullString();
  UaStatusCode result = ua_status::Good;
  if (Call(ua_id::ActivateSessionRequest, body, response, &result) !=
      ua_id::ActivateSessionResponse) {
    return result == ua_status::Good ? ua_status::Bad : result;
  }
  return ua_status::Good;
}

bool UaTestClient::CloseSession() {
  std::vector<std::uint8_t> body{1}, response;
  return Call(ua_id::CloseSessionRequest, body, response) == ua_id::CloseSessionResponse;
}

std::uint32_t UaTestClient::CreateSubscription(double intervalMs, std::uint32_t lifetimeCount,
                                               std::uint32_t maxKeepAliveCount) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.Double(intervalMs);
  w.UInt32(lifetimeCount);
  w.UInt32(maxKeepAliveCount);
  w.UInt32(0);  // no limit of notifications per Publish
  w.Boolean(true);
  w.Byte(0);
  if (Call(ua_id::CreateSubscriptionRequest, body, response) != ua_id::CreateSubscriptionResponse) {
    return 0;
  }
  UaBinaryReader r(response.data(), response.size());
  return r.UInt32();
}

std::vector<std::uint8_t> UaTestClient::ReadRequestBody(const std::vector<UaNodeId>& nodes,
                                                        double maxAge) {
  std::vector<std::uint8_t> body;
  UaBinaryWriter w(body);
  w.Double(maxAge);
  w.UInt32(0);  // source time stamps
  w.ArrayLength(nodes.size());
  for (const UaNodeId& n : nodes) {
    w.NodeId(n);
    w.UInt32(13);
    w.NullString();
    w.QualifiedName({});
  }
  return body;
}

std::optional<std::vector<UaDataValue>> UaTestClient::Read(const std::vector<UaNodeId>& nodes,
                                                           double maxAge) {
  std::vector<std::uint8_t> response;
  if (Call(ua_id::ReadRequest, ReadRequestBody(nodes, maxAge), response) != ua_id::ReadResponse) {
    return std::nullopt;
  }
  UaBinaryReader r(response.data(), response.size());
  std::vector<UaDataValue> values(r.ArrayLength(1));
  for (UaDataValue& v : values) v = r.DataValue();
  return values;
}

std::string UaTestClient::SendRawAndReadUntilClosed(const std::vector<std::uint8_t>& bytes) {
  SendAll(bytes);
  std::string out;
  char buffer[4096];
  while (true) {
    ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

UaStatusCode UaTestClient::WriteValue(const std::string& itemId, UaVariant value) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.ArrayLength(1);
  w.NodeId(UaNodeId::String(kItemNamespace, itemId));
  w.UInt32(ua_attr::Value);
  w.NullString();
  w.DataValue(UaDataValue::Of(std::move(value)));
  UaStatusCode fault = ua_status::Good;
  if (Call(ua_id::WriteRequest, body, response, &fault) != ua_id::WriteResponse) {
    return fault;
  }
  UaBinaryReader r(response.data(), response.size());
  r.ArrayLength(4);
  return r.UInt32();
}
