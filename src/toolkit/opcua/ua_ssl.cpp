// OpenSSL helpers: errors, certificate files and the certificate facts the server reads.
#include "toolkit/opcua/ua_ssl.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>

namespace {
using Bio = std::unique_ptr<BIO, UaSslFree>;

// The object in a file in PEM form, else in DER form.
template <typename Handle, typename Pem, typename Der>
Handle ReadPemOrDer(const std::string& path, Pem readPem, Der readDer) {
  Bio bio(BIO_new_file(path.c_str(), "rb"));
  if (!bio) return nullptr;
  Handle object(readPem(bio.get()));
  if (!object) {
    BIO_reset(bio.get());
    object.reset(readDer(bio.get()));
  }
  ERR_clear_error();
  return object;
}
}  // namespace

std::string UaSslError(const char* fallback) {
  unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return fallback;
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return text;
}

UaX509 UaCertificateFromDer(std::span<const std::uint8_t> der) {
  const unsigned char* p = der.data();
  UaX509 certificate(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!certificate || p != der.data() + der.size()) {
    ERR_clear_error();
    return nullptr;
  }
  return certificate;
}

std::vector<UaX509> UaCertificateChainFromDer(std::span<const std::uint8_t> der) {
  std::vector<UaX509> chain;
  const unsigned char* p = der.data();
  const unsigned char* end = der.data() + der.size();
  while (p < end) {
    UaX509 certificate(d2i_X509(nullptr, &p, static_cast<long>(end - p)));
    if (!certificate) {
      ERR_clear_error();
      return {};
    }
    chain.push_back(std::move(certificate));
  }
  return chain;
}

UaBytes UaCertificateToDer(X509* certificate) {
  int size = i2d_X509(certificate, nullptr);
  if (size <= 0) return {};
  UaBytes der(static_cast<std::size_t>(size));
  unsigned char* p = der.data();
  i2d_X509(certificate, &p);
  return der;
}

UaX509 UaReadCertificateFile(const std::string& path) {
  return ReadPemOrDer<UaX509>(
      path, [](BIO* b) { return PEM_read_bio_X509(b, nullptr, nullptr, nullptr); },
      [](BIO* b) { return d2i_X509_bio(b, nullptr); });
}

UaX509Crl UaReadCrlFile(const std::string& path) {
  return ReadPemOrDer<UaX509Crl>(
      path, [](BIO* b) { return PEM_read_bio_X509_CRL(b, nullptr, nullptr, nullptr); },
      [](BIO* b) { return d2i_X509_CRL_bio(b, nullptr); });
}

std::string UaThumbprint(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha1(), digest, &length) != 1) return {};
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

std::string UaCommonName(X509* certificate) {
  X509_NAME* name = X509_get_subject_name(certificate);
  int index = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
  if (index < 0) return {};
  ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
  unsigned char* utf8 = nullptr;
  int length = ASN1_STRING_to_UTF8(&utf8, data);
  if (length < 0) return {};
  std::string text(reinterpret_cast<char*>(utf8), static_cast<std::size_t>(length));
  OPENSSL_free(utf8);
  return text;
}

std::string UaSubjectText(X509* certificate) {
  Bio bio(BIO_new(BIO_s_mem()));
  X509_NAME_print_ex(bio.get(), X509_get_subject_name(certificate), 0,
                     XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

std::vector<std::string> UaSubjectAltUris(X509* certificate) {
  std::vector<std::string> uris;
  auto* names = static_cast<GENERAL_NAMES*>(
      X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
  if (!names) return uris;
  for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
    const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
    if (name->type != GEN_URI) continue;
    const ASN1_IA5STRING* uri = name->d.uniformResourceIdentifier;
    uris.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                      static_cast<std::size_t>(ASN1_STRING_length(uri)));
  }
  GENERAL_NAMES_free(names);
  return uris;
}

std::string UaNotAfterText(X509* certificate) {
  std::tm time{};
  if (ASN1_TIME_to_tm(X509_get0_notAfter(certificate), &time) != 1) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &time);
  return text;
}
