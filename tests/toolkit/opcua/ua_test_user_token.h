// The client's side of a user name token: the password secret encrypted with RSA-OAEP for the
// server's key, as a UA client builds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/opcua/ua_ssl.h"

// Length (4 bytes, little-endian), password and nonce, encrypted block by block with RSA-OAEP
// and `digest` (SHA-1 or SHA-256). `lengthField` replaces the true length (for tampering).
std::string EncryptTestPassword(std::string_view password, std::string_view nonce, EVP_PKEY* key,
                                const EVP_MD* digest,
                                std::optional<std::uint32_t> lengthField = std::nullopt);
// The public key of a DER certificate.
UaPkey PublicKeyOf(std::string_view der);
