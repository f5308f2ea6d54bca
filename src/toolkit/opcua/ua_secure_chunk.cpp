// Padding, signatures and encryption of single chunks.
#include "toolkit/opcua/ua_secure_chunk.h"

namespace {
constexpr std::size_t kAesBlock = 16;

void PatchSize(std::vector<std::uint8_t>& buffer, std::size_t start) {
  auto size = static_cast<std::uint32_t>(buffer.size() - start);
  for (int k = 0; k < 4; ++k) buffer[start + 4 + k] = static_cast<std::uint8_t>(size >> (8 * k));
}

// Appends PaddingSize, the padding and (for keys over 2048 bits) ExtraPaddingSize so that the
// bytes from `from` on plus a signature of `signatureSize` fill whole blocks.
void AppendPadding(std::vector<std::uint8_t>& buffer, std::size_t from, std::size_t blockSize,
                   std::size_t signatureSize, bool extraByte) {
  std::size_t fixed = buffer.size() - from + 1 + (extraByte ? 1 : 0) + signatureSize;
  std::size_t n = (blockSize - fixed % blockSize) % blockSize;
  auto low = static_cast<std::uint8_t>(n & 0xFF);
  buffer.push_back(low);
  buffer.insert(buffer.end(), n, low);
  if (extraByte) buffer.push_back(static_cast<std::uint8_t>(n >> 8));
}

// Where the data ends before the padding that ends at `end`, or 0 when the padding is not
// well formed; `begin` is where the padded data starts.
std::size_t StripPadding(const std::uint8_t* data, std::size_t begin, std::size_t end,
                         bool extraByte) {
  std::size_t trailer = extraByte ? 2 : 1;
  if (end < begin + trailer) return 0;
  std::size_t n = data[end - trailer];
  if (extraByte) n |= static_cast<std::size_t>(data[end - 1]) << 8;
  if (end - begin < trailer + n) return 0;
  std::size_t padStart = end - trailer - n;
  for (std::size_t k = padStart; k < end - trailer; ++k) {
    if (data[k] != static_cast<std::uint8_t>(n & 0xFF)) return 0;
  }
  return padStart;
}
}  // namespace

std::size_t SymmetricMaxBody(UaSecurityMode mode, std::size_t chunkSize) {
  std::size_t overhead = kUaSymmetricHeaderSize + kUaSequenceHeaderSize;
  if (mode == UaSecurityMode::Sign) overhead += kUaHmacSha256Size;
  if (mode != UaSecurityMode::SignAndEncrypt) return chunkSize - overhead;
  std::size_t region = (chunkSize - kUaSymmetricHeaderSize) / kAesBlock * kAesBlock;
  return region - kUaSequenceHeaderSize - 1 - kUaHmacSha256Size;
}

bool SealSymmetricChunk(const UaSecurityPolicy& policy, UaSecurityMode mode,
                        const UaSymmetricKeys& keys, std::vector<std::uint8_t>& buffer,
                        std::size_t start) {
  if (!policy.secured || mode == UaSecurityMode::None) return true;
  bool encrypt = mode == UaSecurityMode::SignAndEncrypt;
  std::size_t securedFrom = start + kUaSymmetricHeaderSize;
  if (encrypt) AppendPadding(buffer, securedFrom, kAesBlock, kUaHmacSha256Size, false);
  std::size_t signedEnd = buffer.size();
  buffer.resize(signedEnd + kUaHmacSha256Size);
  PatchSize(buffer, start);
  UaHmacSha256(keys.signingKey, buffer.data() + start, signedEnd - start,
               buffer.data() + signedEnd);
  if (!encrypt) return true;
  return UaAesCbc(true, keys.encryptingKey, keys.iv, buffer.data() + securedFrom,
                  buffer.size() - securedFrom);
}

UaStatusCode OpenSymmetricChunk(const UaSecurityPolicy& policy, UaSecurityMode mode,
                                const UaSymmetricKeys& keys, std::uint8_t* chunk, std::size_t size,
                                std::size_t* plainEnd) {
  *plainEnd = size;
  if (!policy.secured || mode == UaSecurityMode::None) return ua_status::Good;
  bool encrypt = mode == UaSecurityMode::SignAndEncrypt;
  std::size_t securedFrom = kUaSymmetricHeaderSize;
  if (size < securedFrom + kUaSequenceHeaderSize + kUaHmacSha256Size) {
    return ua_status::BadSecurityChecksFailed;
  }
  if (encrypt) {
    if ((size - securedFrom) % kAesBlock != 0 ||
        !UaAesCbc(false, keys.encryptingKey, keys.iv, chunk + securedFrom, size - securedFrom)) {
      return ua_status::BadSecurityChecksFailed;
    }
  }
  std::size_t signedEnd = size - kUaHmacSha256Size;
  std::uint8_t expected[kUaHmacSha256Size];
  UaHmacSha256(keys.signingKey, chunk, signedEnd, expected);
  if (!UaEqualConstantTime(expected, chunk + signedEnd, kUaHmacSha256Size)) {
    return ua_status::BadSecurityChecksFailed;
  }
  std::size_t end = signedEnd;
  if (encrypt) end = StripPadding(chunk, securedFrom, signedEnd, false);
  if (end < securedFrom + kUaSequenceHeaderSize) return ua_status::BadSecurityChecksFailed;
  *plainEnd = end;
  return ua_status::Good;
}

bool SealAsymmetricChunk(const UaSecurityPolicy& policy, const UaRsaKey& sender,
                         const UaRsaKey& receiver, std::vector<std::uint8_t>& buffer,
                         std::size_t start, std::size_t securedFrom) {
  const UaRsaEncryption scheme = policy.asymmetricEncryption;
  const std::size_t plainBlock = receiver.PlainBlockSize(scheme);
  const std::size_t cipherBlock = receiver.Size();
  const std::size_t signatureSize = sender.Size();
  if (plainBlock == 0 || signatureSize == 0) return false;
  std::size_t from = start + securedFrom;
  AppendPadding(buffer, from, plainBlock, signatureSize, cipherBlock > 256);
  std::size_t signedEnd = buffer.size();
  std::size_t blocks = (signedEnd + signatureSize - from) / plainBlock;
  // The message size in the header is that of the encrypted chunk, and it is signed.
  std::size_t finalSize = securedFrom + blocks * cipherBlock;
  buffer.resize(start + finalSize);
  for (int k = 0; k < 4; ++k) {
    buffer[start + 4 + k] = static_cast<std::uint8_t>(finalSize >> (8 * k));
  }
  std::vector<std::uint8_t> plain(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                                  buffer.begin() + static_cast<std::ptrdiff_t>(signedEnd));
  plain.resize(plain.size() + signatureSize);
  if (!sender.Sign(policy.asymmetricSignature, plain.data(), signedEnd - start,
                   plain.data() + (signedEnd - start))) {
    return false;
  }
  for (std::size_t b = 0; b < blocks; ++b) {
    if (!receiver.EncryptBlock(scheme, plain.data() + securedFrom + b * plainBlock, plainBlock,
                               buffer.data() + from + b * cipherBlock)) {
      return false;
    }
  }
  return true;
}

UaStatusCode OpenAsymmetricChunk(const UaSecurityPolicy& policy, const UaRsaKey& receiver,
                                 const UaRsaKey& sender, const std::uint8_t* chunk,
                                 std::size_t size, std::size_t securedFrom,
                                 std::vector<std::uint8_t>& plain) {
  const UaRsaEncryption scheme = policy.asymmetricEncryption;
  const std::size_t cipherBlock = receiver.Size();
  const std::size_t signatureSize = sender.Size();
  if (cipherBlock == 0 || signatureSize == 0 || size < securedFrom ||
      (size - securedFrom) % cipherBlock != 0 || size == securedFrom) {
    return ua_status::BadSecurityChecksFailed;
  }
  plain.assign(chunk, chunk + securedFrom);
  std::size_t blocks = (size - securedFrom) / cipherBlock;
  plain.resize(securedFrom + blocks * cipherBlock);
  std::size_t end = securedFrom;
  for (std::size_t b = 0; b < blocks; ++b) {
    long n =
        receiver.DecryptBlock(scheme, chunk + securedFrom + b * cipherBlock, plain.data() + end);
    if (n < 0) return ua_status::BadSecurityChecksFailed;
    end += static_cast<std::size_t>(n);
  }
  if (end < securedFrom + kUaSequenceHeaderSize + signatureSize) {
    return ua_status::BadSecurityChecksFailed;
  }
  std::size_t signedEnd = end - signatureSize;
  if (!sender.Verify(policy.asymmetricSignature, plain.data(), signedEnd, plain.data() + signedEnd,
                     signatureSize)) {
    return ua_status::BadSecurityChecksFailed;
  }
  std::size_t bodyEnd = StripPadding(plain.data(), securedFrom, signedEnd, cipherBlock > 256);
  if (bodyEnd < securedFrom + kUaSequenceHeaderSize) return ua_status::BadSecurityChecksFailed;
  plain.resize(bodyEnd);
  return ua_status::Good;
}
