// UaConnection: UA-TCP framing and the secure channel with security policy None.
#include "toolkit/opcua/ua_connection.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_header.h"

namespace {
constexpr std::string_view kPolicyNone = "http://opcfoundation.org/UA/SecurityPolicy#None";
constexpr std::uint32_t kMinBufferSize = 8192;
constexpr std::size_t kMaxPartialMessages = 8;
constexpr std::uint32_t kMinTokenLifetimeMs = 10000;
constexpr std::uint32_t kMaxTokenLifetimeMs = 3600000;
// Bytes in front of a MSG chunk's body: header, channel id, token id, sequence header.
constexpr std::uint32_t kSymmetricOverhead = 24;
}  // namespace

UaConnection::UaConnection(std::uint64_t id, std::uint32_t channelId,
                           const UaConnectionLimits& limits, std::int64_t nowMs)
    : m_id(id),
      m_channelId(channelId),
      m_limits(limits),
      m_connectedMs(nowMs),
      m_receiveBufferSize(limits.bufferSize),
      m_sendBufferSize(limits.bufferSize) {}

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

bool UaConnection::Fail(UaStatusCode code, const char* reason) {
  if (m_failed) return false;  // one Error message is enough
  m_failed = true;
  m_failReason = reason;
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
  std::size_t pos = 0;
  bool keep = true;
  while (keep && m_in.size() - pos >= 8) {
    const std::uint8_t* p = m_in.data() + pos;
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
    if (m_in.size() - pos < chunkSize) break;
    keep = HandleChunk(p, chunkSize, nowMs, sink);
    pos += chunkSize;
    m_inSinceMs = nowMs;
  }
  m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(pos));
  if (m_in.empty() && m_in.capacity() > m_receiveBufferSize) std::vector<std::uint8_t>().swap(m_in);
  return keep && !m_failed;
}

bool UaConnection::HandleChunk(const std::uint8_t* chunk, std::size_t size, std::int64_t nowMs,
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
      return HandleOpen(r, nowMs);
    }
    if (type == "MSG") return HandleMessage(chunkType, r, nowMs, sink);
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

bool UaConnection::HandleOpen(UaBinaryReader& r, std::int64_t nowMs) {
  std::uint32_t requestedChannel = r.UInt32();
  std::string policy = r.String();
  r.ByteString();  // sender certificate
  r.ByteString();  // receiver certificate thumbprint
  std::uint32_t seq = r.UInt32();
  std::uint32_t requestId = r.UInt32();
  if (policy != kPolicyNone) {
    return Fail(ua_status::BadSecurityPolicyRejected, "Only security policy None is offered");
  }
  UaNodeId typeId = r.NodeId();
  if (!typeId.IsNumeric(0, ua_id::OpenSecureChannelRequest)) {
    return Fail(ua_status::BadTcpMessageTypeInvalid, "OpenSecureChannel expected");
  }
  UaRequestHeader header = ReadRequestHeader(r);
  r.UInt32();  // client protocol version
  std::uint32_t requestType = r.UInt32();
  std::uint32_t securityMode = r.UInt32();
  r.ByteString();  // client nonce: not used with policy None
  std::uint32_t lifetime = r.UInt32();
  if (securityMode != 1) {
    return Fail(ua_status::BadSecurityModeRejected, "Only security mode None is offered");
  }
  if (requestType == 0) {
    if (m_channelOpen) return Fail(ua_status::BadRequestTypeInvalid, "Channel already open");
    m_channelOpen = true;
    m_tokenId = 1;
  } else if (requestType == 1) {
    if (!m_channelOpen || requestedChannel != m_channelId) {
      return Fail(ua_status::BadTcpSecureChannelUnknown, "Renewal of an unknown channel");
    }
    m_previousTokenId = m_tokenId;
    ++m_tokenId;
  } else {
    return Fail(ua_status::BadRequestTypeInvalid, "Unknown request type");
  }
  if (!CheckSequence(seq)) return Fail(ua_status::BadSequenceNumberInvalid, "Sequence number");
  lifetime = std::clamp(lifetime, kMinTokenLifetimeMs, kMaxTokenLifetimeMs);
  // The client renews at 75% of the lifetime; the token stays usable a quarter beyond it.
  m_tokenExpiresMs = nowMs + lifetime + lifetime / 4;

  std::vector<std::uint8_t> msg;
  WriteChunkHeader(msg, "OPN", 'F');
  UaBinaryWriter w(msg);
  w.String(kPolicyNone);
  w.NullString();  // sender certificate
  w.NullString();  // receiver thumbprint
  w.UInt32(++m_sendSequence);
  w.UInt32(requestId);
  w.NodeId(UaNodeId::Numeric(0, ua_id::OpenSecureChannelResponse));
  WriteResponseHeader(w, header.requestHandle);
  w.UInt32(0);  // server protocol version
  w.UInt32(m_channelId);
  w.UInt32(m_tokenId);
  w.DateTime(UaNow());
  w.UInt32(lifetime);
  w.ByteString({});  // server nonce: empty with policy None
  w.PatchUInt32(4, static_cast<std::uint32_t>(msg.size()));
  m_out.insert(m_out.end(), msg.begin(), msg.end());
  return true;
}

bool UaConnection::HandleMessage(char chunkType, UaBinaryReader& r, std::int64_t nowMs,
                                 UaRequestSink& sink) {
  if (!m_channelOpen) return Fail(ua_status::BadTcpSecureChannelUnknown, "No channel open");
  std::uint32_t channel = r.UInt32();
  std::uint32_t token = r.UInt32();
  std::uint32_t seq = r.UInt32();
  std::uint32_t requestId = r.UInt32();
  if (channel != m_channelId) return Fail(ua_status::BadTcpSecureChannelUnknown, "Channel id");
  if (token != m_tokenId && (m_previousTokenId == 0 || token != m_previousTokenId)) {
    return Fail(ua_status::BadSecureChannelTokenUnknown, "Token id");
  }
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

void UaConnection::SendResponse(std::uint32_t requestId, std::uint32_t requestHandle,
                                const std::vector<std::uint8_t>& body) {
  const std::uint32_t perChunk = m_sendBufferSize - kSymmetricOverhead;
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
  const std::uint32_t perChunk = m_sendBufferSize - kSymmetricOverhead;
  m_out.reserve(m_out.size() + body.size() + chunks * kSymmetricOverhead);
  std::size_t offset = 0;
  for (std::size_t k = 0; k < chunks; ++k) {
    std::size_t n = std::min<std::size_t>(perChunk, body.size() - offset);
    std::size_t start = m_out.size();
    WriteChunkHeader(m_out, "MSG", k + 1 == chunks ? 'F' : 'C');
    UaBinaryWriter w(m_out);
    w.UInt32(m_tokenId);
    w.UInt32(++m_sendSequence);
    w.UInt32(requestId);
    w.Raw(body.data() + offset, n);
    w.PatchUInt32(start + 4, static_cast<std::uint32_t>(m_out.size() - start));
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
  if (m_channelOpen) next = std::min(next, m_tokenExpiresMs);
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
  if (m_channelOpen && nowMs >= m_tokenExpiresMs) {
    return Fail(ua_status::BadSecureChannelTokenUnknown, "Security token expired");
  }
  return true;
}
