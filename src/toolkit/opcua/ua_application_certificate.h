// UaApplicationCertificate: the server's application instance certificate and its private key,
// and how a new self-signed one is made.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_ssl.h"

struct UaApplicationCertificate {
  UaBytes der;  // the certificate as clients receive it
  std::shared_ptr<EVP_PKEY> key;
};

struct UaCertificateRequest {
  std::string applicationUri;
  std::string applicationName;  // the subject's common name
  // subjectAltName entries besides the URI: DNS names and IPv4/IPv6 addresses.
  std::vector<std::string> hostNames;
  std::vector<std::string> addresses;
  int validDays = 3650;
  int keyBits = 2048;
};

// A self-signed RSA certificate, signed with SHA-256, carrying the application URI and the host
// names and addresses in subjectAltName and the key usages of an application instance
// certificate. No value, with the reason in `error`, when OpenSSL fails.
std::optional<UaApplicationCertificate> UaCreateApplicationCertificate(
    const UaCertificateRequest& request, std::string* error);
