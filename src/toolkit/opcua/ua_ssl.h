// Owning handles for OpenSSL objects and the certificate facts the server reads from them.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct UaSslFree {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
  void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
  void operator()(X509* p) const { X509_free(p); }
  void operator()(X509_CRL* p) const { X509_CRL_free(p); }
  void operator()(X509_STORE* p) const { X509_STORE_free(p); }
  void operator()(X509_STORE_CTX* p) const { X509_STORE_CTX_free(p); }
  void operator()(BIO* p) const { BIO_free(p); }
};
using UaPkey = std::unique_ptr<EVP_PKEY, UaSslFree>;
using UaPkeyCtx = std::unique_ptr<EVP_PKEY_CTX, UaSslFree>;
using UaX509 = std::unique_ptr<X509, UaSslFree>;
using UaX509Crl = std::unique_ptr<X509_CRL, UaSslFree>;

using UaBytes = std::vector<std::uint8_t>;

// The text of OpenSSL's oldest queued error (and clears the queue), or `fallback`.
std::string UaSslError(const char* fallback);

// A certificate from DER bytes; null when they are no certificate or carry bytes after it.
UaX509 UaCertificateFromDer(std::span<const std::uint8_t> der);
// The certificates of DER bytes that hold one after another (a leaf and its issuers, as a client
// may send them); empty when the bytes are not wholly certificates.
std::vector<UaX509> UaCertificateChainFromDer(std::span<const std::uint8_t> der);
UaBytes UaCertificateToDer(X509* certificate);
// A certificate or CRL file in DER or PEM form; null when it holds none.
UaX509 UaReadCertificateFile(const std::string& path);
UaX509Crl UaReadCrlFile(const std::string& path);

// SHA-1 of the DER form in lower-case hex: the thumbprint OPC UA names certificates by.
std::string UaThumbprint(X509* certificate);
// The subject's common name (empty when it has none) and the whole subject in one line.
std::string UaCommonName(X509* certificate);
std::string UaSubjectText(X509* certificate);
// The URIs of the subjectAltName extension.
std::vector<std::string> UaSubjectAltUris(X509* certificate);
// "YYYY-MM-DD HH:MM:SS UTC" of the end of the validity period.
std::string UaNotAfterText(X509* certificate);
