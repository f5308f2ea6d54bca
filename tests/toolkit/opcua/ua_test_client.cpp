// UaTestClient: a minimal blocking OPC UA client for tests and benchmarks.
#include "ua_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/secure_random.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_requests.h"
#include "toolkit/opcua/ua_secure_chunk.h"
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

bool UaTestClient::Buffer(std::size_t n) {
  if (m_receivedEnd - m_receivedAt >= n) return true;
  // What is left moves to the front, and the room grows to hold `n` and more.
  std::copy(m_received.begin() + static_cast<std::ptrdiff_t>(m_receivedAt),
            m_received.begin() + static_cast<std::ptrdiff_t>(m_receivedEnd), m_received.begin());
  m_receivedEnd -= m_receivedAt;
  m_receivedAt = 0;
  if (m_received.size() < n + 65536) m_received.resize(n + 65536);
  while (m_receivedEnd < n) {
    ssize_t got =
        recv(m_fd, m_received.data() + m_receivedEnd, m_received.size() - m_receivedEnd, 0);
    if (got <= 0) return false;
    m_receivedEnd += static_cast<std::size_t>(got);
  }
  return true;
}

std::uint8_t* UaTestClient::NextChunk(std::size_t* size) {
  if (!Buffer(8)) return nullptr;
  const std::uint8_t* header = m_received.data() + m_receivedAt;
  *size = header[4] | (header[5] << 8) | (header[6] << 16) |
          (static_cast<std::uint32_t>(header[7]) << 24);
  if (*size < 8 || !Buffer(*size)) return nullptr;
  std::uint8_t* chunk = m_received.data() + m_receivedAt;
  m_receivedAt += *size;
  return chunk;
}

bool UaTestClient::ReceiveChunk(std::vector<std::uint8_t>& chunk) {
  std::size_t size = 0;
  const std::uint8_t* begin = NextChunk(&size);
  if (begin == nullptr) return false;
  chunk.assign(begin, begin + size);
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
  std::vector<std::uint8_t> chunk;
  if (!SendAll(UaHelloMessage(65535, 65535, maxMessageSize)) || !ReceiveChunk(chunk) ||
      std::string(chunk.begin(), chunk.begin() + 4) != "ACKF") {
    return false;
  }
  m_openStatus = ua_status::Bad;
  if (!SendAll(m_channel.OpenRequest(0, ++m_sequence, ++m_requestId)) || !ReceiveChunk(chunk)) {
    return false;
  }
  std::string type(chunk.begin(), chunk.begin() + 4);
  if (type == "ERRF" && chunk.size() >= 12) {
    m_openStatus = UaBinaryReader(chunk.data() + 8, 4).UInt32();
    return false;
  }
  if (type != "OPNF") return false;
  m_openStatus = m_channel.AcceptOpenResponse(chunk.data(), chunk.size());
  return m_openStatus == ua_status::Good;
}

bool UaTestClient::SendRequest(std::uint32_t requestType, const std::vector<std::uint8_t>& body) {
  // Made after room for the chunk headers: the usual single chunk is sent as it is made.
  std::vector<std::uint8_t> request(UaTestSecureChannel::kMessageHeaderRoom);
  UaBinaryWriter r(request);
  r.NodeId(UaNodeId::Numeric(0, requestType));
  WriteRequestHeader(r, m_authenticationToken, ++m_requestId);
  r.Raw(body.data(), body.size());
  const std::size_t size = request.size() - UaTestSecureChannel::kMessageHeaderRoom;
  // Chunks of at most the 65535 bytes the server accepts.
  const std::size_t perChunk =
      SymmetricMaxBody(m_channel.Policy().secured ? m_channel.Mode() : UaSecurityMode::None, 65535);
  if (size <= perChunk) {
    m_channel.MessageInPlace(request, 'F', ++m_sequence, m_requestId);
    return SendAll(request);
  }
  const std::uint8_t* whole = request.data() + UaTestSecureChannel::kMessageHeaderRoom;
  std::vector<std::uint8_t> msg;
  for (std::size_t offset = 0; offset < size; offset += perChunk) {
    std::size_t n = std::min(perChunk, size - offset);
    std::vector<std::uint8_t> chunk = m_channel.Message(
        offset + n == size ? 'F' : 'C', ++m_sequence, m_requestId, whole + offset, n);
    msg.insert(msg.end(), chunk.begin(), chunk.end());
  }
  return SendAll(msg);
}

std::uint32_t UaTestClient::ReceiveResponse(std::vector<std::uint8_t>& response,
                                            UaStatusCode* serviceResult) {
  std::vector<std::uint8_t> whole;
  std::uint8_t* chunk = nullptr;
  std::size_t size = 0, begin = 0, end = 0;
  bool single = true;
  while (true) {
    chunk = NextChunk(&size);
    if (chunk == nullptr || std::memcmp(chunk, "MSG", 3) != 0 ||
        !m_channel.OpenMessage(chunk, size, &begin, &end)) {
      return 0;
    }
    // The usual single chunk is read where it was received (valid until the next receive).
    if (single && chunk[3] != 'C') break;
    single = false;
    whole.insert(whole.end(), chunk + begin, chunk + end);
    if (chunk[3] != 'C') break;
  }
  try {
    UaBinaryReader r = single ? UaBinaryReader(chunk + begin, end - begin)
                              : UaBinaryReader(whole.data(), whole.size());
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
  w.String(m_channel.Security().applicationUri);  // application description
  w.NullString();
  w.LocalizedText({});
  w.UInt32(1);
  w.NullString();
  w.NullString();
  w.ArrayLength(0);
  w.NullString();  // server URI
  w.String("opc.tcp://127.0.0.1");
  w.String(name);
  const bool secured = m_channel.Policy().secured;
  std::string clientNonce = secured ? SecureRandomString(32) : std::string();
  w.ByteString(clientNonce);
  w.ByteString(m_channel.Security().certificate);
  w.Double(60000);
  w.UInt32(0);
  UaStatusCode result = ua_status::Good;
  if (Call(ua_id::CreateSessionRequest, body, response, &result) != ua_id::CreateSessionResponse) {
    return result == ua_status::Good ? ua_status::Bad : result;
  }
  try {
    UaBinaryReader r(response.data(), response.size());
    r.NodeId();
    m_authenticationToken = r.NodeId();
    r.Double();
    m_serverNonce = r.ByteString();
    m_serverCertificate = r.ByteString();
    for (std::uint32_t n = r.ArrayLength(); n > 0; --n) {  // endpoints
      r.String();
      std::string applicationUri;
      ReadApplicationDescription(r, applicationUri);
      r.ByteString();
      r.UInt32();
      r.String();
      for (std::uint32_t u = r.ArrayLength(); u > 0; --u) {
        r.String();
        r.UInt32();
        r.String();
        r.String();
        r.String();
      }
      r.String();
      r.Byte();
    }
    r.ArrayLength();  // software certificates
    r.String();       // signature algorithm
    std::string signature = r.ByteString();
    // The server proves its key by signing our certificate and nonce.
    if (secured && !m_channel.VerifyServerSignature(m_channel.Security().certificate + clientNonce,
                                                    signature)) {
      return ua_status::BadApplicationSignatureInvalid;
    }
  } catch (const UaDecodeError&) {
    return ua_status::BadDecodingError;
  }
  return ua_status::Good;
}

std::string UaTestClient::EndpointCertificate() {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  w.String("opc.tcp://127.0.0.1");
  w.ArrayLength(0);
  w.ArrayLength(0);
  if (Call(ua_id::GetEndpointsRequest, body, response) != ua_id::GetEndpointsResponse) return {};
  try {
    UaBinaryReader r(response.data(), response.size());
    if (r.ArrayLength() == 0) return {};
    r.String();  // endpoint URL
    std::string applicationUri;
    ReadApplicationDescription(r, applicationUri);
    return r.ByteString();
  } catch (const UaDecodeError&) {
    return {};
  }
}

UaExtensionObject UaTestClient::UserNameIdentity(const std::string& policyId,
                                                 const std::string& user, const std::string& secret,
                                                 const std::string& algorithm) {
  return BinaryExtensionObject(ua_id::UserNameIdentityToken, [&](UaBinaryWriter& w) {
    w.String(policyId);
    w.String(user);
    w.ByteString(secret);
    w.String(algorithm);
  });
}

UaExtensionObject UaTestClient::AnonymousIdentity(const std::string& policyId) {
  return BinaryExtensionObject(ua_id::AnonymousIdentityToken,
                               [&](UaBinaryWriter& w) { w.String(policyId); });
}

UaStatusCode UaTestClient::ActivateSession(const UaExtensionObject& identity) {
  std::vector<std::uint8_t> body, response;
  UaBinaryWriter w(body);
  if (m_channel.Policy().secured) {
    w.String(m_channel.Policy().signatureAlgorithmUri);
    w.ByteString(m_channel.Sign(m_channel.Security().serverCertificate + m_serverNonce));
  } else {
    w.NullString();  // client signature
    w.NullString();
  }
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
  try {
    m_serverNonce = UaBinaryReader(response.data(), response.size()).ByteString();
  } catch (const UaDecodeError&) {
    return ua_status::BadDecodingError;
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
  std::string out(m_received.begin() + static_cast<std::ptrdiff_t>(m_receivedAt),
                  m_received.begin() + static_cast<std::ptrdiff_t>(m_receivedEnd));
  m_receivedAt = m_receivedEnd = 0;
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
