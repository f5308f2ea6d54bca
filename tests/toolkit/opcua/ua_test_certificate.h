// Self-signed RSA application certificates made with OpenSSL for the secure channel's tests.
#pragma once

#include <string>

struct UaTestCertificate {
  std::string der;         // the certificate
  std::string privateKey;  // its key as PEM
};

// A certificate for `applicationUri` (in subjectAltName) with a fresh key of `bits` bits.
UaTestCertificate MakeTestCertificate(int bits, const std::string& applicationUri);
// One certificate per size and URI for the whole test program (key generation is slow).
const UaTestCertificate& SharedTestCertificate(int bits, const std::string& applicationUri);
