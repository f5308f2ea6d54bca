// UaCreateApplicationCertificate: a new RSA key and the self-signed certificate over it.
#include "toolkit/opcua/ua_application_certificate.h"

#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include "platform/secure_random.h"

namespace {

bool AddExtension(X509* certificate, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (!extension) return false;
  bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// The subjectAltName value in OpenSSL's configuration syntax; characters that the syntax uses
// as separators cannot appear in a valid URI, host name or address and are dropped.
std::string AltNames(const UaCertificateRequest& request) {
  auto clean = [](const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c != ',' && c != '\n' && c != '\r') out += c;
    }
    return out;
  };
  std::string names = "URI:" + clean(request.applicationUri);
  for (const std::string& host : request.hostNames) names += ",DNS:" + clean(host);
  for (const std::string& address : request.addresses) names += ",IP:" + clean(address);
  return names;
}

UaPkey NewRsaKey(int bits) {
  UaPkeyCtx ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr));
  EVP_PKEY* key = nullptr;
  if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 ||
      EVP_PKEY_keygen(ctx.get(), &key) != 1) {
    return nullptr;
  }
  return UaPkey(key);
}

}  // namespace

std::optional<UaApplicationCertificate> UaCreateApplicationCertificate(
    const UaCertificateRequest& request, std::string* error) {
  auto fail = [&](const char* what) -> std::optional<UaApplicationCertificate> {
    if (error) *error = std::string(what) + ": " + UaSslError("OpenSSL failed");
    return std::nullopt;
  };
  UaPkey key = NewRsaKey(request.keyBits);
  if (!key) return fail("cannot make an RSA key");
  UaX509 certificate(X509_new());
  if (!certificate) return fail("cannot make a certificate");
  X509_set_version(certificate.get(), 2);
  // A random positive 64-bit serial number: certificates made again are told apart.
  unsigned char serial[8];
  SecureRandomBytes(serial, sizeof serial);
  serial[0] &= 0x7F;
  BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate.get()));
  BN_free(number);
  // Valid from a day back, so that a client whose clock is a little behind accepts it.
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -24L * 3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24L * 3600 * request.validDays);
  X509_NAME* name = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(
      name, "CN", MBSTRING_UTF8,
      reinterpret_cast<const unsigned char*>(request.applicationName.c_str()), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>("Varnok"), -1, -1, 0);
  X509_set_issuer_name(certificate.get(), name);
  X509_set_pubkey(certificate.get(), key.get());
  // Self-signed application instance certificate: not a CA, but its key signs itself.
  if (!AddExtension(certificate.get(), NID_basic_constraints, "critical,CA:FALSE") ||
      !AddExtension(certificate.get(), NID_key_usage,
                    "critical,digitalSignature,nonRepudiation,keyEncipherment,"
                    "dataEncipherment,keyCertSign") ||
      !AddExtension(certificate.get(), NID_ext_key_usage, "serverAuth,clientAuth") ||
      !AddExtension(certificate.get(), NID_subject_key_identifier, "hash") ||
      !AddExtension(certificate.get(), NID_authority_key_identifier, "keyid:always") ||
      !AddExtension(certificate.get(), NID_subject_alt_name, AltNames(request))) {
    return fail("cannot add the certificate's extensions");
  }
  if (X509_sign(certificate.get(), key.get(), EVP_sha256()) <= 0) {
    return fail("cannot sign the certificate");
  }
  UaApplicationCertificate result;
  result.der = UaCertificateToDer(certificate.get());
  result.key = std::shared_ptr<EVP_PKEY>(key.release(), EVP_PKEY_free);
  return result;
}
