// UaRsaKey and the symmetric primitives over OpenSSL 3's EVP interfaces.
#include "toolkit/opcua/ua_crypto.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

namespace {
template <typename T, void (*F)(T*)>
struct Deleter {
  void operator()(T* p) const { F(p); }
};
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, Deleter<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;

bool IsRsa(EVP_PKEY* key) {
  return key != nullptr && EVP_PKEY_is_a(key, "RSA");
}

bool SetupEncryption(EVP_PKEY_CTX* ctx, UaRsaEncryption scheme) {
  const EVP_MD* md = scheme == UaRsaEncryption::OaepSha1 ? EVP_sha1() : EVP_sha256();
  return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
         EVP_PKEY_CTX_set_rsa_oaep_md(ctx, md) > 0 && EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, md) > 0;
}

bool SetupSignature(EVP_PKEY_CTX* ctx, UaRsaSignature scheme) {
  if (scheme == UaRsaSignature::Pkcs1Sha256) {
    return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) > 0;
  }
  // PSS with SHA-256, MGF1 with SHA-256 and a salt as long as the digest.
  return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PSS_PADDING) > 0 &&
         EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0 &&
         EVP_PKEY_CTX_set_rsa_pss_saltlen(ctx, RSA_PSS_SALTLEN_DIGEST) > 0;
}
}  // namespace

void UaRsaKey::Free::operator()(evp_pkey_st* key) const {
  EVP_PKEY_free(key);
}

UaRsaKey UaRsaKey::FromPrivateKey(std::string_view pemOrDer) {
  UaRsaKey out;
  EVP_PKEY* key = nullptr;
  Bio bio(BIO_new_mem_buf(pemOrDer.data(), static_cast<int>(pemOrDer.size())));
  if (bio) key = PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr);
  if (key == nullptr) {
    const auto* p = reinterpret_cast<const unsigned char*>(pemOrDer.data());
    key = d2i_AutoPrivateKey(nullptr, &p, static_cast<long>(pemOrDer.size()));
  }
  if (!IsRsa(key)) {
    EVP_PKEY_free(key);
    return out;
  }
  out.m_key.reset(key, Free());
  return out;
}

UaRsaKey UaRsaKey::FromKey(std::shared_ptr<evp_pkey_st> key) {
  UaRsaKey out;
  if (IsRsa(key.get())) out.m_key = std::move(key);
  return out;
}

UaRsaKey UaRsaKey::FromCertificate(std::string_view der) {
  UaRsaKey out;
  const auto* p = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!cert) return out;
  EVP_PKEY* key = X509_get_pubkey(cert.get());
  if (!IsRsa(key)) {
    EVP_PKEY_free(key);
    return out;
  }
  out.m_key.reset(key, Free());
  return out;
}

std::size_t UaRsaKey::Size() const {
  return m_key ? static_cast<std::size_t>(EVP_PKEY_get_size(m_key.get())) : 0;
}

bool UaRsaKey::Matches(const UaRsaKey& other) const {
  return m_key && other.m_key && EVP_PKEY_eq(m_key.get(), other.m_key.get()) == 1;
}

bool UaRsaKey::Sign(UaRsaSignature scheme, const std::uint8_t* data, std::size_t size,
                    std::uint8_t* out) const {
  if (!m_key) return false;
  MdCtx md(EVP_MD_CTX_new());
  EVP_PKEY_CTX* pctx = nullptr;
  if (!md || EVP_DigestSignInit(md.get(), &pctx, EVP_sha256(), nullptr, m_key.get()) != 1 ||
      !SetupSignature(pctx, scheme)) {
    return false;
  }
  std::size_t length = Size();
  return EVP_DigestSign(md.get(), out, &length, data, size) == 1 && length == Size();
}

bool UaRsaKey::Verify(UaRsaSignature scheme, const std::uint8_t* data, std::size_t size,
                      const std::uint8_t* signature, std::size_t signatureSize) const {
  if (!m_key) return false;
  MdCtx md(EVP_MD_CTX_new());
  EVP_PKEY_CTX* pctx = nullptr;
  if (!md || EVP_DigestVerifyInit(md.get(), &pctx, EVP_sha256(), nullptr, m_key.get()) != 1 ||
      !SetupSignature(pctx, scheme)) {
    return false;
  }
  return EVP_DigestVerify(md.get(), signature, signatureSize, data, size) == 1;
}

std::size_t UaRsaKey::PlainBlockSize(UaRsaEncryption scheme) const {
  // OAEP takes two digests and two bytes of each block.
  std::size_t overhead = scheme == UaRsaEncryption::OaepSha1 ? 42 : 66;
  return Size() > overhead ? Size() - overhead : 0;
}

bool UaRsaKey::EncryptBlock(UaRsaEncryption scheme, const std::uint8_t* data, std::size_t size,
                            std::uint8_t* out) const {
  if (!m_key || size > PlainBlockSize(scheme)) return false;
  PkeyCtx ctx(EVP_PKEY_CTX_new(m_key.get(), nullptr));
  if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 || !SetupEncryption(ctx.get(), scheme)) {
    return false;
  }
  std::size_t length = Size();
  return EVP_PKEY_encrypt(ctx.get(), out, &length, data, size) == 1 && length == Size();
}

long UaRsaKey::DecryptBlock(UaRsaEncryption scheme, const std::uint8_t* block,
                            std::uint8_t* out) const {
  if (!m_key) return -1;
  PkeyCtx ctx(EVP_PKEY_CTX_new(m_key.get(), nullptr));
  if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 || !SetupEncryption(ctx.get(), scheme)) {
    return -1;
  }
  std::size_t length = Size();
  if (EVP_PKEY_decrypt(ctx.get(), out, &length, block, Size()) != 1) return -1;
  return static_cast<long>(length);
}

std::string UaPSha256(std::string_view secret, std::string_view seed, std::size_t length) {
  std::string out(length, '\0');
  EVP_KDF* kdf = EVP_KDF_fetch(nullptr, "TLS1-PRF", nullptr);
  EVP_KDF_CTX* ctx = kdf ? EVP_KDF_CTX_new(kdf) : nullptr;
  EVP_KDF_free(kdf);
  if (ctx == nullptr) return {};
  char digest[] = "SHA256";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
      OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SECRET, const_cast<char*>(secret.data()),
                                        secret.size()),
      OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SEED, const_cast<char*>(seed.data()),
                                        seed.size()),
      OSSL_PARAM_construct_end()};
  bool ok = EVP_KDF_derive(ctx, reinterpret_cast<unsigned char*>(out.data()), length, params) == 1;
  EVP_KDF_CTX_free(ctx);
  return ok ? out : std::string();
}

void UaHmacSha256(std::string_view key, const std::uint8_t* data, std::size_t size,
                  std::uint8_t* out) {
  std::size_t length = 0;
  EVP_Q_mac(nullptr, "HMAC", nullptr, "SHA256", nullptr, key.data(), key.size(), data, size, out,
            kUaHmacSha256Size, &length);
}

bool UaAesCbc(bool encrypt, std::string_view key, std::string_view iv, std::uint8_t* data,
              std::size_t size) {
  const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_cbc()
                             : key.size() == 32 ? EVP_aes_256_cbc()
                                                : nullptr;
  if (cipher == nullptr || iv.size() != 16 || size % 16 != 0) return false;
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  const auto* v = reinterpret_cast<const unsigned char*>(iv.data());
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, k, v, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1) {
    return false;
  }
  int n = 0;
  int tail = 0;
  return EVP_CipherUpdate(ctx.get(), data, &n, data, static_cast<int>(size)) == 1 &&
         EVP_CipherFinal_ex(ctx.get(), data + n, &tail) == 1 &&
         static_cast<std::size_t>(n + tail) == size;
}

std::string_view UaLeafCertificate(std::string_view chain) {
  const auto* begin = reinterpret_cast<const unsigned char*>(chain.data());
  const unsigned char* p = begin;
  X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(chain.size())));
  if (!cert) return {};
  return chain.substr(0, static_cast<std::size_t>(p - begin));
}

std::string UaSha1(std::string_view data) {
  std::string out(20, '\0');
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), reinterpret_cast<unsigned char*>(out.data()), &length,
             EVP_sha1(), nullptr);
  return out;
}

bool UaEqualConstantTime(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  return CRYPTO_memcmp(a, b, size) == 0;
}
