// UaConnection: UA-TCP framing and the secure channel.
#include "toolkit/opcua/ua_connection.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/secure_random.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_secure_chunk.h"
#include "toolkit/opcua/ua_server_security.h"
#include "toolkit/opcua/ua_service_header.h"

namespace {
constexpr std::uint32_t kMinBufferSize = 8192;
constexpr std::size_t kMaxPartialMessages = 8;
constexpr std::uint32_t kMinTokenLifetimeMs = 10000;
constexpr std::uint32_t kMaxTokenLifetimeMs = 3600000;
}  // namespace

UaConnection::UaConnection(std::uint64_t id, std::uint32_t channelId,
                           const UaConnectionLimits& limits, std::int64_t nowMs,
                           const UaServerSecurity* security)
    : m_id(id),
      m_channelId(channelId),
      m_limits(limits),
      m_connectedMs(nowMs),
      m_receiveBufferSize(limits.bufferSize),
      m_sendBufferSize(limits.bufferSize),
      m_security(security),
      m_policy(FindSecurityPolicy(ua_policy::None)) {}

void UaConnection::ConsumeOutgoing(std::size_t n) {
  m_outPos += n;
  if (m_outPos >= m_out.size()) {
    m_out.clear();
    m_outPos = 0;
  } else if (m_outPos > 65536 && m_outPos * 2 > m_out.size()) {
    m_out.erase(m_out.begin(), m_out.begin() + static_cast<std::ptrdiff_t>(m_outPos));
    m_outPos = 0;
  }
}

std::size_t UaConnection::BufferedBytes() const {
  std::size_t n = m_in.capacity() + m_out.capacity();
  for (const auto& [id, partial] : m_partials) n += partial.body.capacity();
  return n;
}

bool UaConnection::Fail(UaStatusCode code, const char* reason, const std::string& detail) {
  if (m_failed) return false;  // one Error message is enough
  m_failed = true;
  m_failReason = detail.empty() ? std::string(reason) : std::string(reason) + ": " + detail;
  std::vector<std::uint8_t> msg;
  UaBinaryWriter w(msg);
  w.Raw("ERRF", 4);
  w.UInt32(0);
  w.UInt32(code);
  w.String(reason);
  w.PatchUInt32(4, static_cast<std::uint32_t>(msg.size()));
  m_out.insert(m_out.end(), msg.begin(), msg.end());
  return false;
}

bool UaConnection::Receive(const std::uint8_t* data, std::size_t size, std::int64_t nowMs,
                           UaRequestSink& sink) {
  if (m_in.empty()) m_inSinceMs = nowMs;
  m_in.insert(m_in.end(), data, data + size);
  bool keep = true;
  const std::size_t taken = TakeChunks(m_in.data(), m_in.size(), nowMs, sink, keep);
  m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(taken));
  if (m_in.empty() && m_in.capacity() > m_receiveBufferSize) std::vector<std::uint8_t>().swap(m_in);
  return keep && !m_failed;
}

bool UaConnection::ReceiveInPlace(std::uint8_t* data, std::size_t size, std::int64_t nowMs,
                                  UaRequestSink& sink) {
  // The rest of an unfinished chunk comes after what is kept of it.
  if (!m_in.empty()) return Receive(data, size, nowMs, sink);
  bool keep = true;
  const std::size_t taken = TakeChunks(data, size, nowMs, sink, keep);
  if (keep && taken < size) {
    m_inSinceMs = nowMs;
    m_in.assign(data + taken, data + size);
  }
  return keep && !m_failed;
}

std::size_t UaConnection::TakeChunks(std::uint8_t* data, std::size_t size, std::int64_t nowMs,
                                     UaRequestSink& sink, bool& keep) {
  std::size_t pos = 0;
  while (keep && size - pos >= 8) {
    std::uint8_t* p = data + pos;
    std::uint32_t chunkSize = static_cast<std::uint32_t>(p[4] | (p[5] << 8) | (p[6] << 16)) |
                              (static_cast<std::uint32_t>(p[7]) << 24);
    if (chunkSize < 16) {
      keep = Fail(ua_status::BadTcpMessageTypeInvalid, "Chunk too small");
      break;
    }
    if (chunkSize > m_receiveBufferSize) {
      keep = Fail(ua_status::BadTcpMessageTooLarge, "Chunk larger than the receive buffer");
      break;
    }
    if (size - pos < chunkSize) break;
    keep = HandleChunk(p, chunkSize, nowMs, sink);
    pos += chunkSize;
    m_inSinceMs = nowMs;
  }
  return pos;
}

bool UaConnection::HandleChunk(std::uint8_t* chunk, std::size_t size, std::int64_t nowMs,
                               UaRequestSink& sink) {
  std::string_view type(reinterpret_cast<const char*>(chunk), 3);
  char chunkType = static_cast<char>(chunk[3]);
  UaBinaryReader r(chunk + 8, size - 8);
  try {
    if (type == "HEL") {
      if (m_state != State::ExpectHello || chunkType != 'F') {
        return Fail(ua_status::BadTcpMessageTypeInvalid, "Unexpected Hello");
      }
      return HandleHello(r);
    }
    if (m_state == State::ExpectHello) {
      return Fail(ua_status::BadTcpMessageTypeInvalid, "Hello expected");
    }
    if (type == "OPN") {
      if (chunkType != 'F') return Fail(ua_status::BadTcpMessageTypeInvalid, "Chunked open");
      return HandleOpen(chunk, size, nowMs);
    }
    if (type == "MSG") return HandleMessage(chunkType, chunk, size, nowMs, sink);
    if (type == "CLO") return false;
    return Fail(ua_status::BadTcpMessageTypeInvalid, "Unknown message type");
  } catch (const UaDecodeError& e) {
    return Fail(e.status, "Malformed message");
  } catch (const std::bad_alloc&) {
    // Assembling a message can run out of memory as well as serving it.
    return Fail(ua_status::BadTcpNotEnoughResources, "Out of memory");
  }
}

bool UaConnection::HandleHello(UaBinaryReader& r) {
  r.UInt32();  // protocol version: the server answers with version 0 and the client decides
  std::uint32_t clientReceive = r.UInt32();
  std::uint32_t clientSend = r.UInt32();
  std::uint32_t clientMaxMessage = r.UInt32();
  peerMaxChunkCount = r.UInt32();
  std::string url = r.String();
  if (url.size() > 4096) return Fail(ua_status::BadTcpEndpointUrlInvalid, "Endpoint URL too long");
  if (clientReceive < kMinBufferSize || clientSend < kMinBufferSize) {
    return Fail(ua_status::BadTcpNotEnoughResources, "Buffers smaller than 8192 bytes");
  }
  // A message limit below one buffer cannot hold even a ServiceFault's chunk: it is raised to
  // the smallest buffer (0 stays "no limit").
  m_peerMaxMessageSize = clientMaxMessage == 0 ? 0 : std::max(clientMaxMessage, kMinBufferSize);
  m_sendBufferSize = std::min(clientReceive, m_limits.bufferSize);
  m_receiveBufferSize = std::min(clientSend, m_limits.bufferSize);
  m_state = State::Acknowledged;

  std::vector<std::uint8_t> ack;
  UaBinaryWriter w(ack);
  w.Raw("ACKF", 4);
  w.UInt32(28);
  w.UInt32(0);
  w.UInt32(m_receiveBufferSize);
  w.UInt32(m_sendBufferSize);
  w.UInt32(m_limits.maxMessageSize);
  w.UInt32(m_limits.maxChunkCount);
  m_out.insert(m_out.end(), ack.begin(), ack.end());
  return true;
}

bool UaConnection::CheckSequence(std::uint32_t seq) {
  // Sequence numbers rise by one; after 4294966271 they may wrap to a value below 1024.
  bool ok =
      !m_haveSequence || seq == m_lastSequence + 1 || (m_lastSequence > 4294966271u && seq < 1024);
  m_haveSequence = true;
  m_lastSequence = seq;
  return ok;
}

void UaConnection::WriteChunkHeader(std::vector<std::uint8_t>& out, const char* type,
                                    char chunkType) const {
  UaBinaryWriter w(out);
  w.Raw(type, 3);
  w.Byte(static_cast<std::uint8_t>(chunkType));
  w.UInt32(0);  // size, patched by the caller
  w.UInt32(m_channelId);
}

bool UaConnection::OpenAsymmetric(const std::uint8_t* chunk, std::size_t size,
                                  const UaSecurityPolicy** policy, std::vector<std::uint8_t>& plain,
                                  std::size_t* securedFrom) {
  UaBinaryReader r(chunk + 12, size - 12);
  std::string uri = r.String();
  std::string senderCertificate = r.ByteString();
  std::string receiverThumbprint = r.ByteString();
  *securedFrom = 12 + r.Position();
  const UaSecurityPolicy* p = FindSecurityPolicy(uri);
  bool offered = p != nullptr && (m_security ? m_security->OffersPolicy(*p) : !p->secured);
  if (!offered) return Fail(ua_status::BadSecurityPolicyRejected, "Security policy not offered");
  if (m_channelOpen && p != m_policy) {
    return Fail(ua_status::BadSecurityPolicyRejected, "Renewal under another security policy");
  }
  *policy = p;
  if (!p->secured) {
    plain.assign(chunk, chunk + size);
    return true;
  }
  if (receiverThumbprint != m_security->Thumbprint()) {
    return Fail(ua_status::BadSecurityChecksFailed, "Not encrypted for the server's certificate");
  }
  if (m_channelOpen && senderCertificate != m_clientCertificate) {
    return Fail(ua_status::BadSecurityChecksFailed, "Renewal with another client certificate");
  }
  UaRsaKey clientKey = UaRsaKey::FromCertificate(UaLeafCertificate(senderCertificate));
  if (!clientKey.Valid()) {
    return Fail(ua_status::BadCertificateInvalid, "Client certificate unreadable or not RSA");
  }
  std::size_t bits = clientKey.Size() * 8;
  if (bits < p->minAsymmetricKeyBits || bits > p->maxAsymmetricKeyBits) {
    return Fail(ua_status::BadSecurityChecksFailed, "Client key length not allowed by the policy");
  }
  UaStatusCode status = OpenAsymmetricChunk(*p, m_security->PrivateKey(), clientKey, chunk, size,
                                            *securedFrom, plain);
  if (status != ua_status::Good) return Fail(status, "OpenSecureChannel signature or encryption");
  if (!m_channelOpen) {
    // The client's certificate is checked once the chunk proved that the client holds its key.
    // Whatever check failed, the client learns only Bad_SecurityChecksFailed; the log has why.
    UaCertificateCheck check = m_security->ValidateClient(senderCertificate);
    if (check.status != ua_status::Good) {
      return Fail(ua_status::BadSecurityChecksFailed, "Client certificate not trusted",
                  check.reason);
    }
    m_clientCertificate = std::move(senderCertificate);
    m_clientKey = std::move(clientKey);
  }
  return true;
}

bool UaConnection::HandleOpen(const std::uint8_t* chunk, std::size_t size, std::int64_t nowMs) {
  std::uint32_t requestedChannel =
      UaBinaryReader(chunk + 8, 4).UInt32();  // 0 when issuing, the channel when renewing
  const UaSecurityPolicy* policy = nullptr;
  std::vector<std::uint8_t> plain;
  std::size_t securedFrom = 0;
  if (!OpenAsymmetric(chunk, size, &policy, plain, &securedFrom)) return false;
  UaBinaryReader r(plain.data() + securedFrom, plain.size() - securedFrom);
  std::uint32_t seq = r.UInt32();
  std::uint32_t requestId = r.UInt32();
  UaNodeId typeId = r.NodeId();
  if (!typeId.IsNumeric(0, ua_id::OpenSecureChannelRequest)) {
    return Fail(ua_status::BadTcpMessageTypeInvalid, "OpenSecureChannel expected");
  }
  UaRequestHeader header = ReadRequestHeader(r);
  r.UInt32();  // client protocol version
  std::uint32_t requestType = r.UInt32();
  auto securityMode = static_cast<UaSecurityMode>(r.UInt32());
  std::string clientNonce = r.ByteString();
  std::uint32_t lifetime = r.UInt32();
  bool modeOffered = policy->secured ? securityMode != UaSecurityMode::None &&
                                           m_security->Offers(*policy, securityMode)
                                     : securityMode == UaSecurityMode::None;
  if (!modeOffered || (m_channelOpen && securityMode != m_mode)) {
    return Fail(ua_status::BadSecurityModeRejected, "Security mode not offered");
  }
  if (policy->secured && clientNonce.size() != policy->nonceLength) {
    return Fail(ua_status::BadNonceInvalid, "Client nonce of the wrong length");
  }
  if (requestType == 0) {
    if (m_channelOpen) return Fail(ua_status::BadRequestTypeInvalid, "Channel already open");
  } else if (requestType == 1) {
    if (!m_channelOpen || requestedChannel != m_channelId) {
      return Fail(ua_status::BadTcpSecureChannelUnknown, "Renewal of an unknown channel");
    }
  } else {
    return Fail(ua_status::BadRequestTypeInvalid, "Unknown request type");
  }
  if (!CheckSequence(seq)) return Fail(ua_status::BadSequenceNumberInvalid, "Sequence number");
  std::string serverNonce;
  Token token;
  token.id = m_token.id + 1;
  if (policy->secured) {
    serverNonce = SecureRandomString(policy->nonceLength);
    token.keys = DeriveChannelKeys(*policy, clientNonce, serverNonce);
  }
  lifetime = std::clamp(lifetime, kMinTokenLifetimeMs, kMaxTokenLifetimeMs);
  // The client renews at 75% of the lifetime; the token stays usable a quarter beyond it.
  token.expiresMs = nowMs + lifetime + lifetime / 4;
  if (m_channelOpen) {
    m_previous = std::move(m_token);
    m_sendWithPrevious = true;
  }
  m_token = std::move(token);
  m_channelOpen = true;
  m_policy = policy;
  m_mode = securityMode;

  std::vector<std::uint8_t> msg;
  WriteChunkHeader(msg, "OPN", 'F');
  UaBinaryWriter w(msg);
  w.String(policy->uri);
  if (policy->secured) {
    w.ByteString(m_security->Certificate());
    w.ByteString(UaSha1(UaLeafCertificate(m_clientCertificate)));
  } else {
    w.NullString();  // sender certificate
    w.NullString();  // receiver thumbprint
  }
  std::size_t responseSecuredFrom = msg.size();
  w.UInt32(++m_sendSequence);
  w.UInt32(requestId);
  w.NodeId(UaNodeId::Numeric(0, ua_id::OpenSecureChannelResponse));
  WriteResponseHeader(w, header.requestHandle);
  w.UInt32(0);  // server protocol version
  w.UInt32(m_channelId);
  w.UInt32(m_token.id);
  w.DateTime(UaNow());
  w.UInt32(lifetime);
  w.ByteString(serverNonce);
  if (!policy->secured) {
    w.PatchUInt32(4, static_cast<std::uint32_t>(msg.size()));
  } else if (!SealAsymmetricChunk(*policy, m_security->PrivateKey(), m_clientKey, msg, 0,
                                  responseSecuredFrom)) {
    return Fail(ua_status::BadSecurityChecksFailed, "Cannot secure the OpenSecureChannel response");
  }
  if (msg.size() > m_sendBufferSize) {
    return Fail(ua_status::BadTcpMessageTooLarge, "OpenSecureChannel response over the buffer");
  }
  m_out.insert(m_out.end(), msg.begin(), msg.end());
  return true;
}

bool UaConnection::HandleMessage(char chunkType, std::uint8_t* chunk, std::size_t size,
                                 std::int64_t nowMs, UaRequestSink& sink) {
  if (!m_channelOpen) return Fail(ua_status::BadTcpSecureChannelUnknown, "No channel open");
  UaBinaryReader h(chunk + 8, 8);
  std::uint32_t channel = h.UInt32();
  std::uint32_t tokenId = h.UInt32();
  if (channel != m_channelId) return Fail(ua_status::BadTcpSecureChannelUnknown, "Channel id");
  const Token* token = nullptr;
  if (tokenId == m_token.id) {
    token = &m_token;
  } else if (m_previous.id != 0 && tokenId == m_previous.id && nowMs < m_previous.expiresMs) {
    token = &m_previous;
  }
  if (token == nullptr) return Fail(ua_status::BadSecureChannelTokenUnknown, "Token id");
  std::size_t end = size;
  UaStatusCode status =
      OpenSymmetricChunk(*m_policy, m_mode, token->keys.client, chunk, size, &end);
  if (status != ua_status::Good) return Fail(status, "Chunk signature or encryption invalid");
  // The client has the new token's keys: the server secures its chunks with them from now on.
  if (token == &m_token) m_sendWithPrevious = false;
  UaBinaryReader r(chunk + kUaSymmetricHeaderSize, end - kUaSymmetricHeaderSize);
  std::uint32_t seq = r.UInt32();
  std::uint32_t requestId = r.UInt32();
  if (!CheckSequence(seq)) return Fail(ua_status::BadSequenceNumberInvalid, "Sequence number");
  if (chunkType == 'A') {
    m_partials.erase(requestId);
    return true;
  }
  if (chunkType != 'C' && chunkType != 'F') {
    return Fail(ua_status::BadTcpMessageTypeInvalid, "Unknown chunk type");
  }
  auto it = m_partials.find(requestId);
  if (it == m_partials.end()) {
    if (chunkType == 'F') {
      // The common case, a request in one chunk, is served from the chunk itself.
      sink.OnServiceRequest(*this, requestId, r);
      return true;
    }
    if (m_partials.size() >= kMaxPartialMessages) {
      return Fail(ua_status::BadTcpNotEnoughResources, "Too many unfinished messages");
    }
    it = m_partials.emplace(requestId, Partial{{}, 0, nowMs}).first;
  }
  Partial& partial = it->second;
  if (++partial.chunks > m_limits.maxChunkCount ||
      partial.body.size() + r.Remaining() > m_limits.maxMessageSize) {
    return Fail(ua_status::BadTcpMessageTooLarge, "Message larger than the limits");
  }
  partial.body.insert(partial.body.end(), r.Current(), r.Current() + r.Remaining());
  if (chunkType == 'F') {
    std::vector<std::uint8_t> body = std::move(partial.body);
    m_partials.erase(it);
    UaBinaryReader whole(body.data(), body.size());
    sink.OnServiceRequest(*this, requestId, whole);
  }
  return true;
}

std::size_t UaConnection::BodyPerChunk() const {
  return SymmetricMaxBody(m_policy->secured ? m_mode : UaSecurityMode::None, m_sendBufferSize);
}

void UaConnection::SendResponse(std::uint32_t requestId, std::uint32_t requestHandle,
                                const std::vector<std::uint8_t>& body) {
  const std::size_t perChunk = BodyPerChunk();
  std::size_t chunks = std::max<std::size_t>(1, (body.size() + perChunk - 1) / perChunk);
  auto fits = [&](std::size_t size, std::size_t chunkCount) {
    return (m_peerMaxMessageSize == 0 || size <= m_peerMaxMessageSize) &&
           (peerMaxChunkCount == 0 || chunkCount <= peerMaxChunkCount);
  };
  if (!fits(body.size(), chunks)) {
    std::vector<std::uint8_t> fault =
        MakeServiceFault(requestHandle, ua_status::BadResponseTooLarge);
    if (!fits(fault.size(), 1)) {
      Fail(ua_status::BadResponseTooLarge, "Not even a fault fits the client's message limits");
      return;
    }
    return SendChunks(requestId, fault, 1);
  }
  SendChunks(requestId, body, chunks);
}

void UaConnection::SendChunks(std::uint32_t requestId, const std::vector<std::uint8_t>& body,
                              std::size_t chunks) {
  if (m_failed) return;
  const std::size_t perChunk = BodyPerChunk();
  const Token& token = SendToken();
  m_out.reserve(m_out.size() + body.size() + chunks * (m_sendBufferSize - perChunk));
  std::size_t offset = 0;
  for (std::size_t k = 0; k < chunks; ++k) {
    std::size_t n = std::min<std::size_t>(perChunk, body.size() - offset);
    std::size_t start = m_out.size();
    WriteChunkHeader(m_out, "MSG", k + 1 == chunks ? 'F' : 'C');
    UaBinaryWriter w(m_out);
    w.UInt32(token.id);
    w.UInt32(++m_sendSequence);
    w.UInt32(requestId);
    w.Raw(body.data() + offset, n);
    w.PatchUInt32(start + 4, static_cast<std::uint32_t>(m_out.size() - start));
    if (!SealSymmetricChunk(*m_policy, m_mode, token.keys.server, m_out, start)) {
      m_out.resize(start);
      Fail(ua_status::BadSecurityChecksFailed, "Cannot secure a response chunk");
      return;
    }
    offset += n;
  }
}

std::int64_t UaConnection::NextDeadline() const {
  std::int64_t next = INT64_MAX;
  // A Hello and then an OpenSecureChannel must arrive soon after connecting.
  if (!m_channelOpen) next = m_connectedMs + 2 * m_limits.incompleteTimeoutMs;
  if (m_state == State::ExpectHello) next = m_connectedMs + m_limits.incompleteTimeoutMs;
  if (!m_in.empty()) next = std::min(next, m_inSinceMs + m_limits.incompleteTimeoutMs);
  for (const auto& [id, partial] : m_partials) {
    next = std::min(next, partial.startedMs + m_limits.incompleteTimeoutMs);
  }
  if (m_channelOpen) next = std::min(next, m_token.expiresMs);
  return next;
}

bool UaConnection::CheckTimeouts(std::int64_t nowMs) {
  if (m_failed) return false;
  if (m_state == State::ExpectHello && nowMs >= m_connectedMs + m_limits.incompleteTimeoutMs) {
    return Fail(ua_status::BadTimeout, "No Hello received");
  }
  if (!m_channelOpen && nowMs >= m_connectedMs + 2 * m_limits.incompleteTimeoutMs) {
    return Fail(ua_status::BadTimeout, "No secure channel opened");
  }
  if (!m_in.empty() && nowMs >= m_inSinceMs + m_limits.incompleteTimeoutMs) {
    return Fail(ua_status::BadTimeout, "Chunk not completed in time");
  }
  for (const auto& [id, partial] : m_partials) {
    if (nowMs >= partial.startedMs + m_limits.incompleteTimeoutMs) {
      return Fail(ua_status::BadTimeout, "Message not completed in time");
    }
  }
  if (m_channelOpen && nowMs >= m_token.expiresMs) {
    return Fail(ua_status::BadSecureChannelTokenUnknown, "Security token expired");
  }
  return true;
}
