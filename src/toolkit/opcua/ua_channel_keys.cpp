// DeriveChannelKeys: P_SHA256 over the exchanged nonces.
#include "toolkit/opcua/ua_channel_keys.h"

namespace {
constexpr std::size_t kIvLength = 16;  // one AES block

UaSymmetricKeys Derive(const UaSecurityPolicy& policy, std::string_view secret,
                       std::string_view seed) {
  std::size_t s = policy.signingKeyLength;
  std::size_t e = policy.encryptingKeyLength;
  std::string material = UaPSha256(secret, seed, s + e + kIvLength);
  if (material.size() != s + e + kIvLength) return {};
  return {material.substr(0, s), material.substr(s, e), material.substr(s + e, kIvLength)};
}
}  // namespace

UaChannelKeys DeriveChannelKeys(const UaSecurityPolicy& policy, std::string_view clientNonce,
                                std::string_view serverNonce) {
  return {Derive(policy, serverNonce, clientNonce), Derive(policy, clientNonce, serverNonce)};
}
