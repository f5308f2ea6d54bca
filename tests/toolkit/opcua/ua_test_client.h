// UaTestClient: a minimal blocking OPC UA client over loopback (Hello, secure channel under any
// of the server's policies, session, Read, Write) for the server's tests and benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_types.h"
#include "ua_test_secure_channel.h"

class UaTestClient {
 public:
  UaTestClient() = default;
  ~UaTestClient();
  UaTestClient(const UaTestClient&) = delete;
  UaTestClient& operator=(const UaTestClient&) = delete;

  // The security of the channel Connect opens (policy None unless set).
  void SetSecurity(const UaClientSecurity& security) { m_channel = UaTestSecureChannel(security); }
  // TCP connect to 127.0.0.1 only.
  bool ConnectTcp(std::uint16_t port);
  // TCP connect, Hello (announcing `maxMessageSize`, 0 for none) and OpenSecureChannel; false
  // on any failure.
  bool Connect(std::uint16_t port, std::uint32_t maxMessageSize = 0);
  // The status of the last OpenSecureChannel (an Error message's code when it was refused).
  UaStatusCode OpenStatus() const { return m_openStatus; }
  // The server certificate its endpoints name (GetEndpoints); empty on failure.
  std::string EndpointCertificate();
  // CreateSession and ActivateSession (anonymous).
  bool OpenSession();
  // CreateSession alone; its status (Good when created).
  UaStatusCode CreateSession(const std::string& name = "test");
  // ActivateSession with `identity` as the user identity token; its status.
  UaStatusCode ActivateSession(const UaExtensionObject& identity);
  static UaExtensionObject AnonymousIdentity(const std::string& policyId = "anonymous");
  // A UserNameIdentityToken whose password field holds `secret` as given (see
  // EncryptTestPassword).
  static UaExtensionObject UserNameIdentity(const std::string& policyId, const std::string& user,
                                            const std::string& secret,
                                            const std::string& algorithm);
  // What the last CreateSession answered: the server's nonce and certificate.
  const std::string& ServerNonce() const { return m_serverNonce; }
  const std::string& ServerCertificate() const { return m_serverCertificate; }
  // The session the requests name (to present another client's token).
  const UaNodeId& AuthenticationToken() const { return m_authenticationToken; }
  void SetAuthenticationToken(UaNodeId token) { m_authenticationToken = std::move(token); }
  bool CloseSession();
  // Sends raw bytes (for bad input) without waiting for an answer.
  bool SendRaw(const std::vector<std::uint8_t>& bytes) { return SendAll(bytes); }
  // Sends raw bytes (for bad input) and reads whatever the server answers until it closes.
  std::string SendRawAndReadUntilClosed(const std::vector<std::uint8_t>& bytes);

  // A service call: `body` holds the request after its header; the response body (after the
  // response header) goes to `response`. Returns the response type id, 0 on failure.
  std::uint32_t Call(std::uint32_t requestType, const std::vector<std::uint8_t>& body,
                     std::vector<std::uint8_t>& response, UaStatusCode* serviceResult = nullptr);
  // Sends a request without waiting; ReceiveResponse collects one answer.
  bool SendRequest(std::uint32_t requestType, const std::vector<std::uint8_t>& body);
  std::uint32_t ReceiveResponse(std::vector<std::uint8_t>& response, UaStatusCode* serviceResult);

  // CreateSubscription (publishing enabled); the subscription's id, 0 on failure.
  std::uint32_t CreateSubscription(double intervalMs, std::uint32_t lifetimeCount,
                                   std::uint32_t maxKeepAliveCount);

  // Writes `value` to the Value of the item `itemId`; the operation's status, or the fault.
  UaStatusCode WriteValue(const std::string& itemId, UaVariant value);

  std::optional<std::vector<UaDataValue>> Read(const std::vector<UaNodeId>& nodes,
                                               double maxAge = 1000);
  static std::vector<std::uint8_t> ReadRequestBody(const std::vector<UaNodeId>& nodes,
                                                   double maxAge);

 private:
  bool SendAll(const std::vector<std::uint8_t>& bytes);
  // One whole chunk, header included.
  bool ReceiveChunk(std::vector<std::uint8_t>& chunk);
  // The next whole chunk where it was received, valid until the next receive; null when the
  // connection ends first.
  std::uint8_t* NextChunk(std::size_t* size);
  // Receives until at least `n` bytes are buffered; false when the connection ends first.
  bool Buffer(std::size_t n);

  int m_fd = -1;
  // What the server sent and no chunk took yet, from m_receivedAt to m_receivedEnd: the
  // client receives as much as there is at once, as a real client does, and not a chunk
  // header at a time.
  std::vector<std::uint8_t> m_received;
  std::size_t m_receivedAt = 0;
  std::size_t m_receivedEnd = 0;
  UaTestSecureChannel m_channel;
  UaStatusCode m_openStatus = ua_status::Good;
  std::uint32_t m_sequence = 0;
  std::uint32_t m_requestId = 0;
  UaNodeId m_authenticationToken;
  std::string m_serverNonce;  // the last one, which ActivateSession signs
  std::string m_serverCertificate;
};
