// UaValidateCertificate: the checks a certificate presented by a client must pass before the
// server trusts it, in the order OPC UA prescribes, each failure with its own status code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_ssl.h"
#include "toolkit/opcua/ua_status_codes.h"

// The certificates and CRLs of a PKI folder: trusted certificates (applications or CAs) are
// trusted themselves; issuer certificates only complete chains.
struct UaTrustList {
  std::vector<UaX509> trusted;
  std::vector<UaX509> issuers;
  std::vector<UaX509Crl> crls;  // of trusted and issuer CAs alike
};

struct UaCertificateCheck {
  UaStatusCode status = ua_status::Good;
  std::string reason;  // for the log, empty when good
};

// Structure, chain, signatures, key size and signature algorithm, trust, validity period,
// application URI (when `applicationUri` is not empty), key usage, and revocation of every
// certificate below a self-signed one (a CA without a CRL counts as unknown revocation).
UaCertificateCheck UaValidateCertificate(X509* certificate, const UaTrustList& trust,
                                         std::string_view applicationUri);
