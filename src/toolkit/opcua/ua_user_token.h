// The user name identity token of ActivateSession and the decryption of its password, which the
// client encrypts with the server certificate's public key together with the server's nonce.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "toolkit/opcua/ua_ssl.h"

struct UaUserNameToken {
  std::string policyId;
  std::string userName;
  std::string password;  // as received: encrypted unless encryptionAlgorithm is empty
  std::string encryptionAlgorithm;
};

namespace ua_user_token_encryption {
constexpr std::string_view RsaOaep = "http://www.w3.org/2001/04/xmlenc#rsa-oaep";
constexpr std::string_view RsaOaepSha256 = "http://opcfoundation.org/UA/security/rsa-oaep-sha2-256";
}  // namespace ua_user_token_encryption

// The encryption algorithm a user token encrypted under `policyUri` uses; empty for None and
// unknown policies.
std::string_view UaUserTokenEncryptionOf(std::string_view policyUri);

// Decodes the body of a UserNameIdentityToken; no value when it is malformed.
std::optional<UaUserNameToken> UaDecodeUserNameToken(std::string_view body);

// The password of a token whose secret is encrypted with `algorithm` for `serverKey`: the
// RSA blocks decrypted, then the secret's length, the password and the server nonce, which
// must be `serverNonce`. No value when the algorithm differs, decryption fails or anything does
// not fit.
std::optional<std::string> UaDecryptUserPassword(const UaUserNameToken& token,
                                                 std::string_view algorithm, EVP_PKEY* serverKey,
                                                 std::span<const std::uint8_t> serverNonce);
