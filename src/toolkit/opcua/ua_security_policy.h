// UaSecurityPolicy: the algorithms and key lengths of each security policy the server offers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "toolkit/opcua/ua_crypto.h"

// The security policies by their URIs.
namespace ua_policy {
constexpr std::string_view None = "http://opcfoundation.org/UA/SecurityPolicy#None";
constexpr std::string_view Basic256Sha256 =
    "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256";
constexpr std::string_view Aes128Sha256RsaOaep =
    "http://opcfoundation.org/UA/SecurityPolicy#Aes128_Sha256_RsaOaep";
constexpr std::string_view Aes256Sha256RsaPss =
    "http://opcfoundation.org/UA/SecurityPolicy#Aes256_Sha256_RsaPss";
}  // namespace ua_policy

// MessageSecurityMode as it is encoded.
enum class UaSecurityMode : std::uint32_t { None = 1, Sign = 2, SignAndEncrypt = 3 };

struct UaSecurityPolicy {
  std::string_view uri;
  bool secured;  // false for policy None: no certificates, nonces, signatures
  UaRsaSignature asymmetricSignature;
  UaRsaEncryption asymmetricEncryption;
  std::string_view signatureAlgorithmUri;  // of CreateSession's and ActivateSession's signatures
  std::size_t signingKeyLength;            // of the derived HMAC-SHA256 keys
  std::size_t encryptingKeyLength;         // AES-128 or AES-256
  std::size_t nonceLength;
  std::size_t minAsymmetricKeyBits;
  std::size_t maxAsymmetricKeyBits;
  std::uint8_t securityLevel;  // the endpoint's rank among the offered ones, before the mode
};

// The policy of `uri`, or null when the server does not know it.
const UaSecurityPolicy* FindSecurityPolicy(std::string_view uri);
// The three secured policies, strongest last.
std::span<const UaSecurityPolicy* const> SecuredPolicies();
// The endpoint's securityLevel: encryption ranks above signing, then the policy's own rank.
std::uint8_t EndpointSecurityLevel(const UaSecurityPolicy& policy, UaSecurityMode mode);
