// UaSecurityOptions: which security policies and modes the server's endpoints offer, whether
// anonymous login is allowed, and the certificate, PKI folder and users behind them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_application_certificate.h"

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

struct UaEndpointSecurity {
  std::string policyUri;
  UaSecurityMode mode = UaSecurityMode::None;
  bool operator==(const UaEndpointSecurity&) const = default;
};

class UaPkiStore;
class UaUserStore;

struct UaSecurityOptions {
  // One endpoint each, in this order. Secured ones need `certificate`.
  std::vector<UaEndpointSecurity> endpoints{{std::string(ua_policy::None), UaSecurityMode::None}};
  bool allowAnonymous = true;
  // The application instance certificate and its key; null: none (policy None only, and no
  // user name login, whose password is encrypted with the server's key).
  std::shared_ptr<const UaApplicationCertificate> certificate;
  // Where client certificates are checked and rejected ones kept; null: none is trusted.
  std::shared_ptr<const UaPkiStore> pki;
  // The users who may log in with user name and password; null: nobody.
  std::shared_ptr<UaUserStore> users;
};
