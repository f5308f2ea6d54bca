// Certificates, CAs and CRLs made for tests, with whatever flaw a test needs.
#pragma once

#include <string>
#include <vector>

#include "toolkit/opcua/ua_application_certificate.h"
#include "toolkit/opcua/ua_ssl.h"

struct TestCertificateOptions {
  std::string commonName = "Test Client";
  std::string uri = "urn:test:client";  // subjectAltName URI; empty: none
  long notBeforeDays = -1;              // relative to now
  long notAfterDays = 365;
  // keyUsage in OpenSSL's configuration syntax; empty: no keyUsage extension.
  std::string keyUsage =
      "critical,digitalSignature,nonRepudiation,keyEncipherment,dataEncipherment";
  bool ca = false;
  int keyBits = 2048;  // 2048 reuses one key made once per test program
  bool sha1 = false;   // signed with SHA-1 instead of SHA-256
};

struct TestCertificate {
  UaX509 certificate;
  UaPkey key;
  long serial = 0;
  UaBytes Der() const { return UaCertificateToDer(certificate.get()); }
};

// Signed by `issuer`, or self-signed when it is null.
TestCertificate MakeTestCertificate(const TestCertificateOptions& options,
                                    const TestCertificate* issuer = nullptr);
// A CRL of `issuer` listing `revokedSerials`.
UaX509Crl MakeTestCrl(const TestCertificate& issuer, const std::vector<long>& revokedSerials);
// A CA certificate (keyCertSign, cRLSign, CA:TRUE); another size than 2048 bits gives it a key
// of its own.
TestCertificate MakeTestCa(const std::string& commonName, const TestCertificate* issuer = nullptr,
                           int keyBits = 2048);

// An application certificate for `applicationUri` with a key of its own of `bits` bits, made
// once per test program (key generation is slow).
const UaApplicationCertificate& SharedTestCertificate(int bits, const std::string& applicationUri);
// A certificate's DER as the byte string the binary encoding carries.
std::string DerString(const UaApplicationCertificate& certificate);

void WriteDerFile(const std::string& path, X509* certificate);
void WriteCrlFile(const std::string& path, X509_CRL* crl);
