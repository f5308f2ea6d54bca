// Securing and checking single UA Secure Conversation chunks: symmetric (MSG, CLO) with the
// token's derived keys, asymmetric (OPN) with the certificates' RSA keys. A chunk starts with
// its 12-byte message header; the part from `securedFrom` on (the sequence header, the body,
// padding and signature) is what encryption covers, the whole chunk what the signature covers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/opcua/ua_channel_keys.h"
#include "toolkit/opcua/ua_security_policy.h"
#include "toolkit/opcua/ua_status_codes.h"

// Bytes in front of a symmetric chunk's sequence header: message header and token id.
constexpr std::size_t kUaSymmetricHeaderSize = 16;
// The sequence number and request id.
constexpr std::size_t kUaSequenceHeaderSize = 8;

// The most body bytes a symmetric chunk of `chunkSize` bytes holds under `mode`.
std::size_t SymmetricMaxBody(UaSecurityMode mode, std::size_t chunkSize);

// Secures the chunk that starts at `start` in `buffer` and runs to its end (header, token id,
// sequence header, body): appends padding (when encrypting) and the signature, patches the
// message size and encrypts. Policy None or mode None leave it as it is.
bool SealSymmetricChunk(const UaSecurityPolicy& policy, UaSecurityMode mode,
                        const UaSymmetricKeys& keys, std::vector<std::uint8_t>& buffer,
                        std::size_t start);
// Decrypts in place and checks the signature of a received symmetric chunk. On success
// `*plainEnd` is where its body ends (before padding and signature).
UaStatusCode OpenSymmetricChunk(const UaSecurityPolicy& policy, UaSecurityMode mode,
                                const UaSymmetricKeys& keys, std::uint8_t* chunk, std::size_t size,
                                std::size_t* plainEnd);

// Secures an OPN chunk at `start` (header, asymmetric security header, sequence header and
// body up to the buffer's end): padding for `receiver`'s key, the signature with `sender`'s
// private key, encryption from `securedFrom` (relative to `start`) with `receiver`'s key.
bool SealAsymmetricChunk(const UaSecurityPolicy& policy, const UaRsaKey& sender,
                         const UaRsaKey& receiver, std::vector<std::uint8_t>& buffer,
                         std::size_t start, std::size_t securedFrom);
// Decrypts a received OPN chunk with `receiver` (own private key) and checks its signature
// with `sender` (the certificate it names). `plain` receives the chunk as it was signed, without
// padding and signature.
UaStatusCode OpenAsymmetricChunk(const UaSecurityPolicy& policy, const UaRsaKey& receiver,
                                 const UaRsaKey& sender, const std::uint8_t* chunk,
                                 std::size_t size, std::size_t securedFrom,
                                 std::vector<std::uint8_t>& plain);
