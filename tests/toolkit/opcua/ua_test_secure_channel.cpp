// UaTestSecureChannel: the client's half of the secure conversation, over the server's own
// chunk functions with the roles swapped.
#include "ua_test_secure_channel.h"

#include <algorithm>
#include <cstring>

#include "platform/secure_random.h"
#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_crypto.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_secure_chunk.h"

UaClientSecurity ClientSecurity(std::string_view policy, UaSecurityMode mode,
                                const UaApplicationCertificate& client, std::string applicationUri,
                                std::string serverCertificate) {
  return {policy,
          mode,
          std::move(applicationUri),
          std::string(client.der.begin(), client.der.end()),
          client.key,
          std::move(serverCertificate)};
}

UaSecurityOptions TestServerSecurity(const UaApplicationCertificate& server, bool withNone) {
  UaSecurityOptions security;
  security.endpoints.clear();
  if (withNone) security.endpoints.push_back({std::string(ua_policy::None), UaSecurityMode::None});
  for (const UaSecurityPolicy* policy : SecuredPolicies()) {
    for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
      security.endpoints.push_back({std::string(policy->uri), mode});
    }
  }
  security.certificate = std::make_shared<UaApplicationCertificate>(server);
  security.validateClientCertificate = [](std::span<const std::uint8_t>) {
    return UaCertificateCheck{};
  };
  return security;
}

UaTestSecureChannel::UaTestSecureChannel(const UaClientSecurity& security)
    : m_security(security), m_policy(FindSecurityPolicy(security.policyUri)) {
  if (m_policy == nullptr) m_policy = FindSecurityPolicy(ua_policy::None);
  m_clientKey = UaRsaKey::FromKey(security.key);
  m_serverKey = UaRsaKey::FromCertificate(security.serverCertificate);
}

std::vector<std::uint8_t> UaTestSecureChannel::OpenRequest(std::uint32_t requestType,
                                                           std::uint32_t sequenceNumber,
                                                           std::uint32_t requestId,
                                                           std::uint32_t lifetimeMs) {
  m_clientNonce = m_policy->secured ? SecureRandomString(m_policy->nonceLength) : "";
  std::vector<std::uint8_t> m;
  UaBinaryWriter w(m);
  w.Raw("OPNF", 4);
  w.UInt32(0);
  w.UInt32(requestType == 0 ? 0 : m_channelId);
  w.String(m_policy->uri);
  if (m_policy->secured) {
    w.ByteString(m_security.certificate);
    w.ByteString(UaSha1(m_security.serverCertificate));
  } else {
    w.NullString();
    w.NullString();
  }
  std::size_t securedFrom = m.size();
  w.UInt32(sequenceNumber);
  w.UInt32(requestId);
  w.NodeId(UaNodeId::Numeric(0, ua_id::OpenSecureChannelRequest));
  w.NodeId({});  // request header
  w.DateTime(0);
  w.UInt32(requestId);
  w.UInt32(0);
  w.NullString();
  w.UInt32(10000);
  w.NullExtensionObject();
  w.UInt32(0);  // protocol version
  w.UInt32(requestType);
  w.UInt32(static_cast<std::uint32_t>(m_security.mode));
  w.ByteString(m_clientNonce);
  w.UInt32(lifetimeMs);
  if (m_policy->secured) {
    SealAsymmetricChunk(*m_policy, m_clientKey, m_serverKey, m, 0, securedFrom);
  } else {
    w.PatchUInt32(4, static_cast<std::uint32_t>(m.size()));
  }
  return m;
}

UaStatusCode UaTestSecureChannel::AcceptOpenResponse(const std::uint8_t* chunk, std::size_t size) {
  try {
    UaBinaryReader h(chunk + 12, size - 12);
    h.String();
    h.ByteString();
    h.ByteString();
    std::size_t securedFrom = 12 + h.Position();
    std::vector<std::uint8_t> plain(chunk, chunk + size);
    if (m_policy->secured) {
      UaStatusCode status =
          OpenAsymmetricChunk(*m_policy, m_clientKey, m_serverKey, chunk, size, securedFrom, plain);
      if (status != ua_status::Good) return status;
    }
    UaBinaryReader r(plain.data() + securedFrom, plain.size() - securedFrom);
    r.UInt32();
    r.UInt32();
    r.NodeId();
    r.DateTime();
    r.UInt32();
    UaStatusCode status = r.UInt32();
    if (status != ua_status::Good) return status;
    r.SkipDiagnosticInfo();
    for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) r.String();
    r.ExtensionObject();
    r.UInt32();
    m_channelId = r.UInt32();
    m_tokenId = r.UInt32();
    r.DateTime();
    r.UInt32();
    std::string serverNonce = r.ByteString();
    if (m_policy->secured) {
      m_keys[m_tokenId] = DeriveChannelKeys(*m_policy, m_clientNonce, serverNonce);
    }
    return ua_status::Good;
  } catch (const UaDecodeError&) {
    return ua_status::BadDecodingError;
  }
}

std::vector<std::uint8_t> UaTestSecureChannel::Message(char chunkType, std::uint32_t sequenceNumber,
                                                       std::uint32_t requestId,
                                                       const std::uint8_t* body, std::size_t size,
                                                       std::uint32_t tokenId) const {
  std::vector<std::uint8_t> m(kMessageHeaderRoom + size);
  if (size > 0) std::memcpy(m.data() + kMessageHeaderRoom, body, size);
  MessageInPlace(m, chunkType, sequenceNumber, requestId, tokenId);
  return m;
}

void UaTestSecureChannel::MessageInPlace(std::vector<std::uint8_t>& m, char chunkType,
                                         std::uint32_t sequenceNumber, std::uint32_t requestId,
                                         std::uint32_t tokenId) const {
  if (tokenId == 0) tokenId = m_tokenId;
  std::vector<std::uint8_t> header;
  UaBinaryWriter w(header);
  w.Raw("MSG", 3);
  w.Byte(static_cast<std::uint8_t>(chunkType));
  w.UInt32(static_cast<std::uint32_t>(m.size()));
  w.UInt32(m_channelId);
  w.UInt32(tokenId);
  w.UInt32(sequenceNumber);
  w.UInt32(requestId);
  std::copy(header.begin(), header.end(), m.begin());
  auto keys = m_keys.find(tokenId);
  if (keys != m_keys.end()) SealSymmetricChunk(*m_policy, Mode(), keys->second.client, m, 0);
}

bool UaTestSecureChannel::OpenMessage(std::uint8_t* chunk, std::size_t size, std::size_t* bodyBegin,
                                      std::size_t* bodyEnd) const {
  if (size < kUaSymmetricHeaderSize + kUaSequenceHeaderSize) return false;
  std::uint32_t tokenId = UaBinaryReader(chunk + 12, 4).UInt32();
  m_lastReceivedToken = tokenId;
  *bodyBegin = kUaSymmetricHeaderSize + kUaSequenceHeaderSize;
  *bodyEnd = size;
  if (!m_policy->secured) return true;
  auto keys = m_keys.find(tokenId);
  return keys != m_keys.end() && OpenSymmetricChunk(*m_policy, Mode(), keys->second.server, chunk,
                                                    size, bodyEnd) == ua_status::Good;
}

std::string UaTestSecureChannel::Sign(const std::string& data) const {
  std::string signature(m_clientKey.Size(), '\0');
  m_clientKey.Sign(m_policy->asymmetricSignature,
                   reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                   reinterpret_cast<std::uint8_t*>(signature.data()));
  return signature;
}

bool UaTestSecureChannel::VerifyServerSignature(const std::string& data,
                                                const std::string& signature) const {
  return m_serverKey.Verify(
      m_policy->asymmetricSignature, reinterpret_cast<const std::uint8_t*>(data.data()),
      data.size(), reinterpret_cast<const std::uint8_t*>(signature.data()), signature.size());
}
