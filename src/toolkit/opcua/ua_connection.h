// UaConnection: one client's UA-TCP connection and its secure channel: Hello and Acknowledge,
// OpenSecureChannel under the offered security policies and token renewal, checking and
// securing of every chunk, chunk assembly and response chunking.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_channel_keys.h"
#include "toolkit/opcua/ua_security_policy.h"

class UaServerSecurity;

struct UaConnectionLimits {
  std::uint32_t bufferSize = 65535;                 // largest chunk offered in either direction
  std::uint32_t maxMessageSize = 16 * 1024 * 1024;  // largest request accepted
  std::uint32_t maxChunkCount = 1024;               // most chunks of one request
  std::int64_t incompleteTimeoutMs = 10000;  // a hello or a begun message must finish in time
};

class UaConnection;

// Receives the complete service requests of a connection.
class UaRequestSink {
 public:
  virtual ~UaRequestSink() = default;
  // `body` holds the request's type id and structure; it is valid during the call only.
  virtual void OnServiceRequest(UaConnection& connection, std::uint32_t requestId,
                                UaBinaryReader& body) = 0;
};

class UaConnection {
 public:
  // Without `security` only policy None is offered.
  UaConnection(std::uint64_t id, std::uint32_t channelId, const UaConnectionLimits& limits,
               std::int64_t nowMs, const UaServerSecurity* security = nullptr);

  std::uint64_t Id() const { return m_id; }
  std::uint32_t ChannelId() const { return m_channelId; }
  bool ChannelOpen() const { return m_channelOpen; }
  // The open channel's security policy and mode (None before it is open).
  const UaSecurityPolicy& Policy() const { return *m_policy; }
  std::string_view SecurityPolicyUri() const { return m_policy->uri; }
  UaSecurityMode SecurityMode() const { return m_mode; }
  // The certificate (DER chain) the client opened a secured channel with, and its public key.
  const std::string& ClientCertificate() const { return m_clientCertificate; }
  const UaRsaKey& ClientKey() const { return m_clientKey; }
  // An Error message was queued: the connection is to be closed once it is sent.
  bool Failed() const { return m_failed; }
  // Why: the text of the Error message.
  const std::string& FailReason() const { return m_failReason; }
  std::int64_t ConnectedMs() const { return m_connectedMs; }
  // Queues an Error message; the connection is to be closed once it is sent.
  void Refuse(UaStatusCode code, const char* reason) { Fail(code, reason); }
  // The peer's address as text, for the log.
  const std::string& Peer() const { return m_peer; }
  void SetPeer(std::string peer) { m_peer = std::move(peer); }
  // Bytes held for this connection: unfinished input and unsent output.
  std::size_t BufferedBytes() const;

  // Consumes received bytes, handing complete requests to `sink`. False means the connection
  // must be closed; an Error message, if one is due, is already queued in Outgoing().
  bool Receive(const std::uint8_t* data, std::size_t size, std::int64_t nowMs, UaRequestSink& sink);
  // The same for bytes the connection may change (it opens secured chunks where they are):
  // whole chunks are served from `data` itself, and only an unfinished rest is copied.
  bool ReceiveInPlace(std::uint8_t* data, std::size_t size, std::int64_t nowMs,
                      UaRequestSink& sink);
  // Sends a response body (type id and structure) in chunks; a response larger than the
  // client accepts is replaced by a ServiceFault with Bad_ResponseTooLarge, and when even that
  // does not fit, an Error message is queued and the connection is to be closed (Failed()).
  void SendResponse(std::uint32_t requestId, std::uint32_t requestHandle,
                    const std::vector<std::uint8_t>& body);
  // False when a hello, a chunk or a message stayed unfinished too long, or the channel's token
  // expired without renewal; an Error message is queued.
  bool CheckTimeouts(std::int64_t nowMs);
  // The earliest time CheckTimeouts may have something to do.
  std::int64_t NextDeadline() const;

  const std::uint8_t* OutgoingData() const { return m_out.data() + m_outPos; }
  std::size_t OutgoingSize() const { return m_out.size() - m_outPos; }
  void ConsumeOutgoing(std::size_t n);

 private:
  struct Partial {
    std::vector<std::uint8_t> body;
    std::uint32_t chunks = 0;
    std::int64_t startedMs = 0;
  };
  struct Token {
    std::uint32_t id = 0;
    UaChannelKeys keys;
    std::int64_t expiresMs = 0;
  };
  enum class State { ExpectHello, Acknowledged };

  bool HandleChunk(std::uint8_t* chunk, std::size_t size, std::int64_t nowMs, UaRequestSink& sink);
  // Serves the whole chunks at the start of `data`; how many bytes they took. `keep` turns
  // false when the connection must be closed.
  std::size_t TakeChunks(std::uint8_t* data, std::size_t size, std::int64_t nowMs,
                         UaRequestSink& sink, bool& keep);
  bool HandleHello(UaBinaryReader& r);
  bool HandleOpen(const std::uint8_t* chunk, std::size_t size, std::int64_t nowMs);
  // Checks the asymmetric security header and, for a secured policy, decrypts the chunk into
  // `plain` and checks its signature. Sets `*securedFrom` to where its sequence header starts.
  bool OpenAsymmetric(const std::uint8_t* chunk, std::size_t size, const UaSecurityPolicy** policy,
                      std::vector<std::uint8_t>& plain, std::size_t* securedFrom);
  bool HandleMessage(char chunkType, std::uint8_t* chunk, std::size_t size, std::int64_t nowMs,
                     UaRequestSink& sink);
  bool CheckSequence(std::uint32_t seq);
  // The most body bytes one response chunk holds under the channel's security.
  std::size_t BodyPerChunk() const;
  const Token& SendToken() const { return m_sendWithPrevious ? m_previous : m_token; }
  void SendChunks(std::uint32_t requestId, const std::vector<std::uint8_t>& body,
                  std::size_t chunks);
  // `reason` goes to the client and the log, `detail` to the log only.
  bool Fail(UaStatusCode code, const char* reason, const std::string& detail = {});
  void WriteChunkHeader(std::vector<std::uint8_t>& out, const char* type, char chunkType) const;

  std::uint64_t m_id;
  std::uint32_t m_channelId;
  std::string m_peer = "an unknown peer";
  bool m_failed = false;
  std::string m_failReason;
  UaConnectionLimits m_limits;
  State m_state = State::ExpectHello;
  std::int64_t m_connectedMs;
  std::uint32_t m_receiveBufferSize;
  std::uint32_t m_sendBufferSize;
  std::uint32_t m_peerMaxMessageSize = 0;  // 0: no limit
  std::uint32_t peerMaxChunkCount = 0;
  bool m_channelOpen = false;
  const UaServerSecurity* m_security;
  const UaSecurityPolicy* m_policy;
  UaSecurityMode m_mode = UaSecurityMode::None;
  std::string m_clientCertificate;
  UaRsaKey m_clientKey;
  Token m_token;
  // The token before the last renewal: accepted until it expires, and used for sending until
  // the client secures a chunk with the new one.
  Token m_previous;
  bool m_sendWithPrevious = false;
  bool m_haveSequence = false;
  std::uint32_t m_lastSequence = 0;
  std::uint32_t m_sendSequence = 0;
  std::map<std::uint32_t, Partial> m_partials;
  std::vector<std::uint8_t> m_in;
  std::int64_t m_inSinceMs = 0;  // when the unfinished chunk in m_in began
  std::vector<std::uint8_t> m_out;
  std::size_t m_outPos = 0;
};
