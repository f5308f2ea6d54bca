// MakeTestCertificate over OpenSSL's key generation and X509 interfaces.
#include "ua_test_certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <map>
#include <mutex>
#include <stdexcept>

namespace {
void AddExtension(X509* cert, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (ext == nullptr) throw std::runtime_error("cannot make a certificate extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}
}  // namespace

UaTestCertificate MakeTestCertificate(int bits, const std::string& applicationUri) {
  EVP_PKEY* key = EVP_RSA_gen(static_cast<unsigned>(bits));
  X509* cert = X509_new();
  if (key == nullptr || cert == nullptr) throw std::runtime_error("cannot make a test key");
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 365);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Zelvox test"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  AddExtension(cert, NID_subject_alt_name, "URI:" + applicationUri + ",DNS:localhost");
  AddExtension(cert, NID_basic_constraints, "critical,CA:FALSE");
  AddExtension(cert, NID_key_usage,
               "critical,digitalSignature,nonRepudiation,keyEncipherment,dataEncipherment");
  AddExtension(cert, NID_ext_key_usage, "serverAuth,clientAuth");
  X509_sign(cert, key, EVP_sha256());

  UaTestCertificate out;
  unsigned char* der = nullptr;
  int length = i2d_X509(cert, &der);
  out.der.assign(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
  OPENSSL_free(der);
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* pem = nullptr;
  long pemLength = BIO_get_mem_data(bio, &pem);
  out.privateKey.assign(pem, static_cast<std::size_t>(pemLength));
  BIO_free(bio);
  X509_free(cert);
  EVP_PKEY_free(key);
  return out;
}

const UaTestCertificate& SharedTestCertificate(int bits, const std::string& applicationUri) {
  static std::mutex mutex;
  static std::map<std::pair<int, std::string>, UaTestCertificate> made;
  std::lock_guard lock(mutex);
  auto key = std::make_pair(bits, applicationUri);
  auto it = made.find(key);
  if (it == made.end()) it = made.emplace(key, MakeTestCertificate(bits, applicationUri)).first;
  return it->second;
}
