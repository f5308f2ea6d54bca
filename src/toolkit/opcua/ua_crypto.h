// OpenSSL-backed primitives of the secure channel: RSA keys and certificates, RSA signing and
// encryption, HMAC-SHA256, AES-CBC, P_SHA256 and SHA-1 thumbprints. No cryptography of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_pkey_st;

enum class UaRsaSignature { Pkcs1Sha256, PssSha256 };
enum class UaRsaEncryption { OaepSha1, OaepSha256 };

// An RSA key: a private key (own) or the public key of a certificate (the peer's).
class UaRsaKey {
 public:
  UaRsaKey() = default;
  // A private key in PEM or DER; an empty key when it cannot be read or is not RSA.
  static UaRsaKey FromPrivateKey(std::string_view pemOrDer);
  // A key held elsewhere (the application certificate's); empty when it is not RSA.
  static UaRsaKey FromKey(std::shared_ptr<evp_pkey_st> key);
  // The public key of a DER certificate; an empty key when it cannot be read or is not RSA.
  static UaRsaKey FromCertificate(std::string_view der);

  bool Valid() const { return m_key != nullptr; }
  // The modulus in bytes: the size of a signature and of an encrypted block.
  std::size_t Size() const;
  // Whether `other` (a public key) is the public half of this key.
  bool Matches(const UaRsaKey& other) const;

  // Signs `data` into `out` (Size() bytes); false on failure.
  bool Sign(UaRsaSignature scheme, const std::uint8_t* data, std::size_t size,
            std::uint8_t* out) const;
  bool Verify(UaRsaSignature scheme, const std::uint8_t* data, std::size_t size,
              const std::uint8_t* signature, std::size_t signatureSize) const;
  // The most plain text bytes one encrypted block holds.
  std::size_t PlainBlockSize(UaRsaEncryption scheme) const;
  // Encrypts one block of at most PlainBlockSize() bytes into Size() bytes at `out`.
  bool EncryptBlock(UaRsaEncryption scheme, const std::uint8_t* data, std::size_t size,
                    std::uint8_t* out) const;
  // Decrypts one block of Size() bytes; the plain text's length, or -1 on failure.
  long DecryptBlock(UaRsaEncryption scheme, const std::uint8_t* block, std::uint8_t* out) const;

 private:
  struct Free {
    void operator()(evp_pkey_st* key) const;
  };
  std::shared_ptr<evp_pkey_st> m_key;
};

// P_SHA256 (TLS 1.2 PRF) of `secret` and `seed`, `length` bytes.
std::string UaPSha256(std::string_view secret, std::string_view seed, std::size_t length);
constexpr std::size_t kUaHmacSha256Size = 32;
void UaHmacSha256(std::string_view key, const std::uint8_t* data, std::size_t size,
                  std::uint8_t* out);
// AES-CBC without padding in place; `size` is a multiple of 16, the key 16 or 32 bytes.
bool UaAesCbc(bool encrypt, std::string_view key, std::string_view iv, std::uint8_t* data,
              std::size_t size);
// The first certificate of a DER chain (a certificate followed by its issuers); empty when the
// bytes do not start with a certificate.
std::string_view UaLeafCertificate(std::string_view chain);
// The SHA-1 digest of a certificate: its thumbprint.
std::string UaSha1(std::string_view data);
// Whether two byte strings are equal, in time independent of where they differ.
bool UaEqualConstantTime(const std::uint8_t* a, const std::uint8_t* b, std::size_t size);
