// User name token: decoding, and the RSA-OAEP encryption of its secret with OpenSSL.
#include "toolkit/opcua/ua_user_token.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/rsa.h>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_security_options.h"

namespace {

// The OAEP digest of an algorithm; null when unknown.
const EVP_MD* OaepDigest(std::string_view algorithm) {
  if (algorithm == ua_user_token_encryption::RsaOaep) return EVP_sha1();
  if (algorithm == ua_user_token_encryption::RsaOaepSha256) return EVP_sha256();
  return nullptr;
}

UaPkeyCtx OaepDecryption(EVP_PKEY* key, const EVP_MD* digest) {
  UaPkeyCtx ctx(EVP_PKEY_CTX_new(key, nullptr));
  if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) != 1 ||
      EVP_PKEY_CTX_set_rsa_oaep_md(ctx.get(), digest) != 1 ||
      EVP_PKEY_CTX_set_rsa_mgf1_md(ctx.get(), digest) != 1) {
    return nullptr;
  }
  return ctx;
}

}  // namespace

std::string_view UaUserTokenEncryptionOf(std::string_view policyUri) {
  if (policyUri == ua_policy::Basic256Sha256 || policyUri == ua_policy::Aes128Sha256RsaOaep) {
    return ua_user_token_encryption::RsaOaep;
  }
  if (policyUri == ua_policy::Aes256Sha256RsaPss) return ua_user_token_encryption::RsaOaepSha256;
  return {};
}

std::optional<UaUserNameToken> UaDecodeUserNameToken(std::string_view body) {
  try {
    UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    UaUserNameToken token;
    token.policyId = r.String();
    token.userName = r.String();
    token.password = r.String();
    token.encryptionAlgorithm = r.String();
    if (r.Remaining() != 0) return std::nullopt;
    return token;
  } catch (const UaDecodeError&) {
    return std::nullopt;
  }
}

std::optional<std::string> UaDecryptUserPassword(const UaUserNameToken& token,
                                                 std::string_view algorithm, EVP_PKEY* serverKey,
                                                 std::span<const std::uint8_t> serverNonce) {
  const EVP_MD* digest = OaepDigest(algorithm);
  if (!digest || token.encryptionAlgorithm != algorithm || !serverKey || serverNonce.empty()) {
    return std::nullopt;
  }
  std::size_t block = static_cast<std::size_t>(EVP_PKEY_get_size(serverKey));
  const std::string& cipher = token.password;
  if (block == 0 || cipher.empty() || cipher.size() % block != 0) return std::nullopt;
  UaPkeyCtx ctx = OaepDecryption(serverKey, digest);
  if (!ctx) return std::nullopt;
  std::string plain;
  for (std::size_t at = 0; at < cipher.size(); at += block) {
    std::size_t size = block;
    std::string part(block, '\0');
    if (EVP_PKEY_decrypt(ctx.get(), reinterpret_cast<unsigned char*>(part.data()), &size,
                         reinterpret_cast<const unsigned char*>(cipher.data() + at), block) != 1) {
      ERR_clear_error();
      return std::nullopt;
    }
    plain.append(part.data(), size);
  }
  if (plain.size() < 4) return std::nullopt;
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(plain[i]);
  if (length != plain.size() - 4 || length < serverNonce.size()) return std::nullopt;
  std::size_t passwordSize = length - serverNonce.size();
  if (CRYPTO_memcmp(plain.data() + 4 + passwordSize, serverNonce.data(), serverNonce.size()) != 0) {
    return std::nullopt;
  }
  return plain.substr(4, passwordSize);
}
