// EncryptTestPassword: RSA-OAEP over the secret of a user name token, with OpenSSL.
#include "ua_test_user_token.h"

#include <openssl/rsa.h>

#include <algorithm>
#include <stdexcept>

std::string EncryptTestPassword(std::string_view password, std::string_view nonce, EVP_PKEY* key,
                                const EVP_MD* digest, std::optional<std::uint32_t> lengthField) {
  std::uint32_t length =
      lengthField.value_or(static_cast<std::uint32_t>(password.size() + nonce.size()));
  std::string plain;
  for (int i = 0; i < 4; ++i) plain += static_cast<char>((length >> (8 * i)) & 0xFF);
  plain += password;
  plain += nonce;
  UaPkeyCtx ctx(EVP_PKEY_CTX_new(key, nullptr));
  if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) != 1 ||
      EVP_PKEY_CTX_set_rsa_oaep_md(ctx.get(), digest) != 1 ||
      EVP_PKEY_CTX_set_rsa_mgf1_md(ctx.get(), digest) != 1) {
    throw std::runtime_error("cannot set up RSA-OAEP");
  }
  std::size_t block = static_cast<std::size_t>(EVP_PKEY_get_size(key));
  std::size_t room = block - 2 * static_cast<std::size_t>(EVP_MD_get_size(digest)) - 2;
  std::string cipher;
  for (std::size_t at = 0; at < plain.size(); at += room) {
    std::string out(block, '\0');
    std::size_t size = block;
    if (EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &size,
                         reinterpret_cast<const unsigned char*>(plain.data() + at),
                         std::min(room, plain.size() - at)) != 1) {
      throw std::runtime_error("RSA-OAEP encryption failed");
    }
    cipher.append(out.data(), size);
  }
  return cipher;
}

UaPkey PublicKeyOf(std::string_view der) {
  UaX509 certificate =
      UaCertificateFromDer({reinterpret_cast<const std::uint8_t*>(der.data()), der.size()});
  if (!certificate) throw std::runtime_error("no certificate");
  return UaPkey(X509_get_pubkey(certificate.get()));
}
