// The application certificate, the PKI folder and the validation of client certificates: each
// refusal with its own status code, trust and rejection through the folders.
#include <gtest/gtest.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "toolkit/opcua/ua_pki_store.h"
#include "ua_test_certificates.h"

namespace fs = std::filesystem;

namespace {

class TempFolder {
 public:
  TempFolder() {
    char path[] = "/tmp/zelvox-pki-XXXXXX";
    if (mkdtemp(path)) m_path = path;
  }
  ~TempFolder() { fs::remove_all(m_path); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

UaX509 Copy(const TestCertificate& c) {
  X509_up_ref(c.certificate.get());
  return UaX509(c.certificate.get());
}

UaStatusCode Check(const TestCertificate& c, const UaTrustList& trust,
                   std::string_view uri = "urn:test:client") {
  return UaValidateCertificate(c.certificate.get(), trust, uri).status;
}

std::size_t FilesIn(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

}  // namespace

TEST(UaApplicationCertificate, IsMadeOnFirstStartAndLoadedLater) {
  TempFolder home;
  UaPkiStore store(home.Path() + "/pki");
  UaCertificateRequest request;
  request.applicationUri = "urn:host1:Varnok:Zelvox";
  request.applicationName = "Zelvox";
  request.hostNames = {"host1", "localhost"};
  request.addresses = {"127.0.0.1", "192.0.2.7"};
  std::string error;
  auto first = store.LoadOrCreateOwnCertificate(request, &error);
  ASSERT_TRUE(first) << error;
  for (const char* sub : {"own/certs", "own/private", "trusted/certs", "trusted/crl",
                          "rejected/certs", "issuers/certs", "issuers/crl"}) {
    EXPECT_TRUE(fs::is_directory(store.Root() + "/" + sub)) << sub;
  }
  struct stat keyFile {};
  ASSERT_EQ(stat((store.Root() + "/own/private/zelvox.pem").c_str(), &keyFile), 0);
  EXPECT_EQ(keyFile.st_mode & 0077, 0u) << "the private key is readable by others";

  UaX509 certificate = UaCertificateFromDer(first->der);
  ASSERT_TRUE(certificate);
  EXPECT_EQ(X509_check_private_key(certificate.get(), first->key.get()), 1);
  EXPECT_EQ(EVP_PKEY_get_bits(X509_get0_pubkey(certificate.get())), 2048);
  EXPECT_EQ(X509_get_signature_nid(certificate.get()), NID_sha256WithRSAEncryption);
  EXPECT_EQ(X509_verify(certificate.get(), first->key.get()), 1);
  EXPECT_EQ(UaSubjectAltUris(certificate.get()),
            std::vector<std::string>{"urn:host1:Varnok:Zelvox"});
  EXPECT_EQ(X509_check_host(certificate.get(), "host1", 0, 0, nullptr), 1);
  EXPECT_EQ(X509_check_host(certificate.get(), "localhost", 0, 0, nullptr), 1);
  EXPECT_EQ(X509_check_ip_asc(certificate.get(), "192.0.2.7", 0), 1);
  EXPECT_EQ(X509_check_ip_asc(certificate.get(), "127.0.0.1", 0), 1);
  EXPECT_EQ(X509_check_host(certificate.get(), "elsewhere", 0, 0, nullptr), 0);
  // Clients use it to encrypt and to check signatures: its own validation passes once trusted.
  UaTrustList trust;
  trust.trusted.push_back(UaCertificateFromDer(first->der));
  EXPECT_EQ(UaValidateCertificate(certificate.get(), trust, request.applicationUri).status,
            ua_status::Good);

  auto again = store.LoadOrCreateOwnCertificate(request, &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->der, first->der);
  EXPECT_EQ(EVP_PKEY_eq(again->key.get(), first->key.get()), 1);

  // Another application URI (the host was renamed): a new certificate that names it.
  request.applicationUri = "urn:host2:Varnok:Zelvox";
  auto renamed = store.LoadOrCreateOwnCertificate(request, &error);
  ASSERT_TRUE(renamed) << error;
  EXPECT_NE(renamed->der, first->der);
  // A damaged key file is replaced as well instead of stopping the server.
  fs::resize_file(store.Root() + "/own/private/zelvox.pem", 20);
  auto repaired = store.LoadOrCreateOwnCertificate(request, &error);
  ASSERT_TRUE(repaired) << error;
  EXPECT_NE(repaired->der, renamed->der);
}

TEST(UaCertificateValidation, SelfSignedCertificatesPassOnlyEveryCheck) {
  TestCertificate good = MakeTestCertificate({});
  UaTrustList trust;
  EXPECT_EQ(Check(good, trust), ua_status::BadCertificateUntrusted);
  trust.trusted.push_back(Copy(good));
  EXPECT_EQ(Check(good, trust), ua_status::Good);
  EXPECT_EQ(Check(good, trust, ""), ua_status::Good) << "no URI to compare";
  EXPECT_EQ(Check(good, trust, "urn:someone:else"), ua_status::BadCertificateUriInvalid);

  auto trusted = [&](const TestCertificateOptions& options) {
    TestCertificate c = MakeTestCertificate(options);
    UaTrustList list;
    list.trusted.push_back(Copy(c));
    return Check(c, list);
  };
  TestCertificateOptions expired;
  expired.notBeforeDays = -30;
  expired.notAfterDays = -1;
  EXPECT_EQ(trusted(expired), ua_status::BadCertificateTimeInvalid);
  TestCertificateOptions future;
  future.notBeforeDays = 2;
  EXPECT_EQ(trusted(future), ua_status::BadCertificateTimeInvalid);
  TestCertificateOptions signOnly;
  signOnly.keyUsage = "critical,digitalSignature,keyCertSign";
  EXPECT_EQ(trusted(signOnly), ua_status::BadCertificateUseNotAllowed);
  TestCertificateOptions noUri;
  noUri.uri.clear();
  EXPECT_EQ(trusted(noUri), ua_status::BadCertificateUriInvalid);
  TestCertificateOptions smallKey;
  smallKey.keyBits = 1024;
  EXPECT_EQ(trusted(smallKey), ua_status::BadCertificatePolicyCheckFailed);
  TestCertificateOptions sha1;
  sha1.sha1 = true;
  EXPECT_EQ(trusted(sha1), ua_status::BadCertificatePolicyCheckFailed);

  // A trusted certificate whose signature was altered afterwards.
  UaBytes der = good.Der();
  der[der.size() - 5] ^= 0x40;
  UaX509 tampered = UaCertificateFromDer(der);
  ASSERT_TRUE(tampered);
  UaTrustList withTampered;
  withTampered.trusted.push_back(UaCertificateFromDer(der));
  EXPECT_EQ(UaValidateCertificate(tampered.get(), withTampered, "urn:test:client").status,
            ua_status::BadCertificateInvalid);
  EXPECT_EQ(UaValidateCertificate(nullptr, trust, "").status, ua_status::BadCertificateInvalid);
}

TEST(UaCertificateValidation, CaIssuedCertificatesNeedATrustedChainAndCrls) {
  TestCertificate root = MakeTestCa("Test Root CA");
  TestCertificate intermediate = MakeTestCa("Test Intermediate CA", &root);
  TestCertificate client = MakeTestCertificate({}, &intermediate);

  UaTrustList trust;
  EXPECT_EQ(Check(client, trust), ua_status::BadCertificateChainIncomplete);
  trust.issuers.push_back(Copy(intermediate));
  trust.issuers.push_back(Copy(root));
  EXPECT_EQ(Check(client, trust), ua_status::BadCertificateUntrusted)
      << "issuer certificates only complete chains";
  trust.trusted.push_back(Copy(root));
  EXPECT_EQ(Check(client, trust), ua_status::BadCertificateRevocationUnknown);
  trust.crls.push_back(MakeTestCrl(intermediate, {}));
  EXPECT_EQ(Check(client, trust), ua_status::BadCertificateIssuerRevocationUnknown);
  trust.crls.push_back(MakeTestCrl(root, {}));
  EXPECT_EQ(Check(client, trust), ua_status::Good);

  // Revoked by its issuer, and an issuer revoked by the root.
  UaTrustList revoked;
  revoked.trusted.push_back(Copy(root));
  revoked.issuers.push_back(Copy(intermediate));
  revoked.crls.push_back(MakeTestCrl(intermediate, {client.serial}));
  revoked.crls.push_back(MakeTestCrl(root, {}));
  EXPECT_EQ(Check(client, revoked), ua_status::BadCertificateRevoked);
  revoked.crls.clear();
  revoked.crls.push_back(MakeTestCrl(intermediate, {}));
  revoked.crls.push_back(MakeTestCrl(root, {intermediate.serial}));
  EXPECT_EQ(Check(client, revoked), ua_status::BadCertificateIssuerRevoked);
  // A CRL that its issuer did not sign does not count.
  revoked.crls.clear();
  revoked.crls.push_back(MakeTestCrl(intermediate, {}));
  TestCertificate impostor = MakeTestCa("Test Root CA", nullptr, 3072);
  revoked.crls.push_back(MakeTestCrl(impostor, {}));
  EXPECT_EQ(Check(client, revoked), ua_status::BadCertificateIssuerRevocationUnknown);

  // An issuer that is no CA may not issue application certificates.
  TestCertificate notCa = MakeTestCertificate({});
  TestCertificate issuedByLeaf = MakeTestCertificate({}, &notCa);
  UaTrustList leafIssuer;
  leafIssuer.trusted.push_back(Copy(notCa));
  leafIssuer.crls.push_back(MakeTestCrl(notCa, {}));
  EXPECT_NE(Check(issuedByLeaf, leafIssuer), ua_status::Good);
}

TEST(UaPkiStore, RefusedCertificatesAreRejectedUntilTrustedAndTrustCanBeWithdrawn) {
  TempFolder home;
  UaPkiStore store(home.Path() + "/pki");
  std::string error;
  ASSERT_TRUE(store.CreateLayout(&error)) << error;
  TestCertificate client = MakeTestCertificate({});
  UaBytes der = client.Der();
  std::string thumbprint = UaThumbprint(client.certificate.get());

  UaCertificateCheck check = store.CheckClientCertificate(der, "urn:test:client");
  EXPECT_EQ(check.status, ua_status::BadCertificateUntrusted) << check.reason;
  ASSERT_EQ(FilesIn(store.Root() + "/rejected/certs"), 1u);
  // Refused twice: still one copy.
  store.CheckClientCertificate(der, "urn:test:client");
  EXPECT_EQ(FilesIn(store.Root() + "/rejected/certs"), 1u);
  auto listed = store.List();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].folder, "rejected");
  EXPECT_EQ(listed[0].thumbprint, thumbprint);
  EXPECT_NE(listed[0].subject.find("Test Client"), std::string::npos);

  // Trusted by the first hex digits of its thumbprint, as `pki list` shows it.
  EXPECT_FALSE(store.Trust("0123", &error)) << "too short to name a certificate";
  ASSERT_TRUE(store.Trust(thumbprint.substr(0, 10), &error)) << error;
  EXPECT_EQ(FilesIn(store.Root() + "/rejected/certs"), 0u);
  EXPECT_EQ(FilesIn(store.Root() + "/trusted/certs"), 1u);
  EXPECT_EQ(store.CheckClientCertificate(der, "urn:test:client").status, ua_status::Good);
  EXPECT_EQ(store.CheckClientCertificate(der, "urn:wrong").status,
            ua_status::BadCertificateUriInvalid);

  ASSERT_TRUE(store.Reject(thumbprint, &error)) << error;
  EXPECT_EQ(FilesIn(store.Root() + "/trusted/certs"), 0u);
  EXPECT_EQ(store.CheckClientCertificate(der, "urn:test:client").status,
            ua_status::BadCertificateUntrusted);

  // A file given by path, here a CA with its CRL placed by hand: its certificates pass.
  TestCertificate ca = MakeTestCa("Site CA");
  TestCertificate issued = MakeTestCertificate({}, &ca);
  std::string caFile = home.Path() + "/site-ca.der";
  WriteDerFile(caFile, ca.certificate.get());
  ASSERT_TRUE(store.Trust(caFile, &error)) << error;
  EXPECT_EQ(store.CheckClientCertificate(issued.Der(), "urn:test:client").status,
            ua_status::BadCertificateRevocationUnknown);
  // A client may send its issuers along: they complete the chain but are not trusted.
  TestCertificate subCa = MakeTestCa("Sub CA", &ca);
  TestCertificate viaSub = MakeTestCertificate({}, &subCa);
  UaBytes sentChain = viaSub.Der();
  UaBytes subDer = subCa.Der();
  sentChain.insert(sentChain.end(), subDer.begin(), subDer.end());
  EXPECT_EQ(store.CheckClientCertificate(viaSub.Der(), "urn:test:client").status,
            ua_status::BadCertificateChainIncomplete);
  EXPECT_EQ(store.CheckClientCertificate(sentChain, "urn:test:client").status,
            ua_status::BadCertificateRevocationUnknown);
  WriteCrlFile(store.Root() + "/trusted/crl/site.crl", MakeTestCrl(ca, {}).get());
  EXPECT_EQ(store.CheckClientCertificate(issued.Der(), "urn:test:client").status, ua_status::Good);
  WriteCrlFile(store.Root() + "/trusted/crl/site.crl", MakeTestCrl(ca, {issued.serial}).get());
  EXPECT_EQ(store.CheckClientCertificate(issued.Der(), "urn:test:client").status,
            ua_status::BadCertificateRevoked);

  EXPECT_FALSE(store.Trust(home.Path() + "/missing.der", &error));
  EXPECT_EQ(store.CheckClientCertificate(UaBytes{1, 2, 3}, "").status,
            ua_status::BadCertificateInvalid);
}
