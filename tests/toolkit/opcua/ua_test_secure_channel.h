// UaTestSecureChannel: the client's side of a secure channel for the server's tests, benchmark
// and fuzzer: OpenSecureChannel requests, the keys from the response, secured MSG chunks.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_application_certificate.h"
#include "toolkit/opcua/ua_channel_keys.h"
#include "toolkit/opcua/ua_security_options.h"
#include "toolkit/opcua/ua_security_policy.h"
#include "toolkit/opcua/ua_status_codes.h"

struct UaClientSecurity {
  std::string_view policyUri = ua_policy::None;
  UaSecurityMode mode = UaSecurityMode::None;
  std::string applicationUri;     // the client's, as its certificate names it
  std::string certificate;        // the client's (DER)
  std::shared_ptr<EVP_PKEY> key;  // its private key
  std::string serverCertificate;  // DER
};

// `client` (whose certificate names `applicationUri`) under `policy` and `mode` to a server
// with `serverCertificate`.
UaClientSecurity ClientSecurity(std::string_view policy, UaSecurityMode mode,
                                const UaApplicationCertificate& client, std::string applicationUri,
                                std::string serverCertificate);

// A server's security offering policy None (when `withNone`) and every secured policy in both
// modes with `server`'s certificate; every client certificate is accepted.
UaSecurityOptions TestServerSecurity(const UaApplicationCertificate& server, bool withNone = true);

class UaTestSecureChannel {
 public:
  explicit UaTestSecureChannel(const UaClientSecurity& security = {});

  const UaSecurityPolicy& Policy() const { return *m_policy; }
  UaSecurityMode Mode() const { return m_security.mode; }
  const UaClientSecurity& Security() const { return m_security; }
  std::uint32_t ChannelId() const { return m_channelId; }
  std::uint32_t TokenId() const { return m_tokenId; }

  // An OpenSecureChannel request (requestType 0 issues, 1 renews) as one chunk.
  std::vector<std::uint8_t> OpenRequest(std::uint32_t requestType, std::uint32_t sequenceNumber,
                                        std::uint32_t requestId, std::uint32_t lifetimeMs = 600000);
  // Checks a whole OPN response chunk and takes the channel, the token and its keys from it;
  // the response's status, or the failed check's.
  UaStatusCode AcceptOpenResponse(const std::uint8_t* chunk, std::size_t size);
  // A whole MSG chunk secured with the keys of token `tokenId` (0: the newest).
  std::vector<std::uint8_t> Message(char chunkType, std::uint32_t sequenceNumber,
                                    std::uint32_t requestId, const std::uint8_t* body,
                                    std::size_t size, std::uint32_t tokenId = 0) const;
  // The same made in `m`, which holds room for the headers (kMessageHeaderRoom bytes) and then
  // the body, so that a large body is not copied.
  static constexpr std::size_t kMessageHeaderRoom = 24;
  void MessageInPlace(std::vector<std::uint8_t>& m, char chunkType, std::uint32_t sequenceNumber,
                      std::uint32_t requestId, std::uint32_t tokenId = 0) const;
  // Checks a whole received MSG chunk in place: false when its token is unknown or its
  // signature wrong; else where its body (after the sequence header) starts and ends.
  bool OpenMessage(std::uint8_t* chunk, std::size_t size, std::size_t* bodyBegin,
                   std::size_t* bodyEnd) const;
  // The token the last received MSG chunk was secured with.
  std::uint32_t LastReceivedToken() const { return m_lastReceivedToken; }
  // Signs with the client's key under the policy (ActivateSession's client signature).
  std::string Sign(const std::string& data) const;
  bool VerifyServerSignature(const std::string& data, const std::string& signature) const;

 private:
  UaClientSecurity m_security;
  const UaSecurityPolicy* m_policy;
  UaRsaKey m_clientKey;
  UaRsaKey m_serverKey;
  std::string m_clientNonce;
  std::uint32_t m_channelId = 0;
  std::uint32_t m_tokenId = 0;
  std::map<std::uint32_t, UaChannelKeys> m_keys;
  mutable std::uint32_t m_lastReceivedToken = 0;
};
