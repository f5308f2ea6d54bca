// UaChannelKeys: the symmetric keys of one security token, derived from the channel's nonces.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/opcua/ua_security_policy.h"

// The keys one side secures its chunks with.
struct UaSymmetricKeys {
  std::string signingKey;
  std::string encryptingKey;
  std::string iv;
};

struct UaChannelKeys {
  UaSymmetricKeys client;  // secure what the client sends
  UaSymmetricKeys server;  // secure what the server sends
};

// The client's keys come from P_SHA256(serverNonce, clientNonce), the server's from
// P_SHA256(clientNonce, serverNonce), each cut into signing key, encrypting key and IV.
UaChannelKeys DeriveChannelKeys(const UaSecurityPolicy& policy, std::string_view clientNonce,
                                std::string_view serverNonce);
