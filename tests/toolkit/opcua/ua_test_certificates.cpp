// Test certificates made with OpenSSL: self-signed, CA-issued, expired, misused, revoked.
#include "ua_test_certificates.h"

#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>

namespace {

UaPkey NewKey(int bits) {
  UaPkeyCtx ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr));
  EVP_PKEY* key = nullptr;
  if (EVP_PKEY_keygen_init(ctx.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 ||
      EVP_PKEY_keygen(ctx.get(), &key) != 1) {
    throw std::runtime_error("RSA key generation failed");
  }
  return UaPkey(key);
}

// Key generation is slow; certificates of 2048 bits share one key.
UaPkey KeyOf(int bits) {
  static EVP_PKEY* shared = NewKey(2048).release();
  if (bits != 2048) return NewKey(bits);
  EVP_PKEY_up_ref(shared);
  return UaPkey(shared);
}

void Extend(X509* certificate, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (!extension) throw std::runtime_error("bad extension " + value);
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

std::atomic<long> nextSerial{1000};

}  // namespace

TestCertificate MakeTestCertificate(const TestCertificateOptions& options,
                                    const TestCertificate* issuer) {
  TestCertificate made;
  made.key = KeyOf(options.keyBits);
  made.serial = nextSerial++;
  made.certificate.reset(X509_new());
  X509* c = made.certificate.get();
  X509_set_version(c, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(c), made.serial);
  X509_gmtime_adj(X509_getm_notBefore(c), options.notBeforeDays * 86400);
  X509_gmtime_adj(X509_getm_notAfter(c), options.notAfterDays * 86400);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(c), "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(options.commonName.c_str()), -1,
                             -1, 0);
  X509* signer = issuer ? issuer->certificate.get() : c;
  X509_set_issuer_name(c, X509_get_subject_name(signer));
  X509_set_pubkey(c, made.key.get());
  Extend(c, signer, NID_basic_constraints, options.ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
  if (!options.keyUsage.empty()) Extend(c, signer, NID_key_usage, options.keyUsage);
  Extend(c, signer, NID_subject_key_identifier, "hash");
  Extend(c, signer, NID_authority_key_identifier, "keyid:always");
  if (!options.uri.empty()) Extend(c, signer, NID_subject_alt_name, "URI:" + options.uri);
  EVP_PKEY* signingKey = issuer ? issuer->key.get() : made.key.get();
  if (X509_sign(c, signingKey, options.sha1 ? EVP_sha1() : EVP_sha256()) <= 0) {
    throw std::runtime_error("signing failed");
  }
  return made;
}

TestCertificate MakeTestCa(const std::string& commonName, const TestCertificate* issuer,
                           int keyBits) {
  TestCertificateOptions options;
  options.keyBits = keyBits;
  options.commonName = commonName;
  options.uri.clear();
  options.keyUsage = "critical,keyCertSign,cRLSign";
  options.ca = true;
  options.notAfterDays = 3650;
  return MakeTestCertificate(options, issuer);
}

UaX509Crl MakeTestCrl(const TestCertificate& issuer, const std::vector<long>& revokedSerials) {
  UaX509Crl crl(X509_CRL_new());
  X509_CRL_set_version(crl.get(), 1);
  X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(issuer.certificate.get()));
  std::unique_ptr<ASN1_TIME, decltype(&ASN1_TIME_free)> now(X509_gmtime_adj(nullptr, -3600),
                                                            ASN1_TIME_free);
  std::unique_ptr<ASN1_TIME, decltype(&ASN1_TIME_free)> next(X509_gmtime_adj(nullptr, 86400 * 30),
                                                             ASN1_TIME_free);
  X509_CRL_set1_lastUpdate(crl.get(), now.get());
  X509_CRL_set1_nextUpdate(crl.get(), next.get());
  for (long serial : revokedSerials) {
    X509_REVOKED* entry = X509_REVOKED_new();
    ASN1_INTEGER* number = ASN1_INTEGER_new();
    ASN1_INTEGER_set(number, serial);
    X509_REVOKED_set_serialNumber(entry, number);
    ASN1_INTEGER_free(number);
    X509_REVOKED_set_revocationDate(entry, now.get());
    X509_CRL_add0_revoked(crl.get(), entry);
  }
  X509_CRL_sort(crl.get());
  if (X509_CRL_sign(crl.get(), issuer.key.get(), EVP_sha256()) <= 0) {
    throw std::runtime_error("CRL signing failed");
  }
  return crl;
}

void WriteDerFile(const std::string& path, X509* certificate) {
  UaBytes der = UaCertificateToDer(certificate);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(der.data()), static_cast<std::streamsize>(der.size()));
}

void WriteCrlFile(const std::string& path, X509_CRL* crl) {
  std::unique_ptr<BIO, UaSslFree> bio(BIO_new_file(path.c_str(), "wb"));
  i2d_X509_CRL_bio(bio.get(), crl);
}

const UaApplicationCertificate& SharedTestCertificate(int bits, const std::string& applicationUri) {
  static std::mutex mutex;
  static std::map<std::pair<int, std::string>, UaApplicationCertificate> made;
  std::lock_guard lock(mutex);
  auto key = std::make_pair(bits, applicationUri);
  auto it = made.find(key);
  if (it == made.end()) {
    UaCertificateRequest request;
    request.applicationUri = applicationUri;
    request.applicationName = "Zelvox test";
    request.hostNames = {"localhost"};
    request.keyBits = bits;
    std::string error;
    auto certificate = UaCreateApplicationCertificate(request, &error);
    if (!certificate) throw std::runtime_error("test certificate: " + error);
    it = made.emplace(key, std::move(*certificate)).first;
  }
  return it->second;
}

std::string DerString(const UaApplicationCertificate& certificate) {
  return std::string(certificate.der.begin(), certificate.der.end());
}
