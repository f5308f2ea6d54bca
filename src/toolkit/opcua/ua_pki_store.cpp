// UaPkiStore: the folders, the own certificate, validation against the folders, trust/reject.
#include "toolkit/opcua/ua_pki_store.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "toolkit/opcua/ua_file_write.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOwnCertificate = "own/certs/zelvox.der";
constexpr const char* kOwnKey = "own/private/zelvox.pem";
constexpr std::string_view kTrustedCerts = "trusted/certs";
constexpr std::string_view kRejectedCerts = "rejected/certs";

// Writes `data` to `path` through a temporary file, readable by the owner only when `secret`.

std::string KeyPem(EVP_PKEY* key) {
  std::unique_ptr<BIO, UaSslFree> bio(BIO_new(BIO_s_mem()));
  if (!PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)) return {};
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

UaPkey ReadKey(const std::string& path) {
  std::unique_ptr<BIO, UaSslFree> bio(BIO_new_file(path.c_str(), "rb"));
  if (!bio) return nullptr;
  return UaPkey(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
}

std::vector<UaX509> CertificatesIn(const std::string& folder) {
  std::vector<UaX509> certificates;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (UaX509 c = UaReadCertificateFile(entry.path().string())) {
      certificates.push_back(std::move(c));
    }
  }
  return certificates;
}

void AddCrlsIn(const std::string& folder, std::vector<UaX509Crl>& crls) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (UaX509Crl crl = UaReadCrlFile(entry.path().string())) crls.push_back(std::move(crl));
  }
}

bool IsHex(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

}  // namespace

UaPkiStore::UaPkiStore(std::string root) : m_root(std::move(root)) {}

bool UaPkiStore::CreateLayout(std::string* error) const {
  for (const char* sub : {"own/certs", "own/private", "trusted/certs", "trusted/crl",
                          "rejected/certs", "issuers/certs", "issuers/crl"}) {
    std::error_code ec;
    fs::create_directories(Folder(sub), ec);
    if (ec) {
      if (error) *error = "cannot create " + Folder(sub) + ": " + ec.message();
      return false;
    }
  }
  chmod(Folder("own/private").c_str(), 0700);
  return true;
}

std::optional<UaApplicationCertificate> UaPkiStore::LoadOrCreateOwnCertificate(
    const UaCertificateRequest& request, std::string* error) const {
  if (!CreateLayout(error)) return std::nullopt;
  UaX509 certificate = UaReadCertificateFile(Folder(kOwnCertificate));
  UaPkey key = ReadKey(Folder(kOwnKey));
  if (certificate && key && X509_check_private_key(certificate.get(), key.get()) == 1) {
    std::vector<std::string> uris = UaSubjectAltUris(certificate.get());
    if (std::find(uris.begin(), uris.end(), request.applicationUri) != uris.end()) {
      UaApplicationCertificate own;
      own.der = UaCertificateToDer(certificate.get());
      own.key = std::shared_ptr<EVP_PKEY>(key.release(), EVP_PKEY_free);
      return own;
    }
  }
  ERR_clear_error();
  std::optional<UaApplicationCertificate> made = UaCreateApplicationCertificate(request, error);
  if (!made) return std::nullopt;
  std::string pem = KeyPem(made->key.get());
  if (pem.empty()) {
    if (error) *error = "cannot encode the private key: " + UaSslError("OpenSSL failed");
    return std::nullopt;
  }
  // The key first: a certificate without its key would be replaced at the next start anyway.
  if (!UaWriteFileAtomically(Folder(kOwnKey), pem, 0600, error) ||
      !UaWriteFileAtomically(Folder(kOwnCertificate),
                             std::string(made->der.begin(), made->der.end()), 0644, error)) {
    return std::nullopt;
  }
  return made;
}

UaTrustList UaPkiStore::LoadTrustList() const {
  UaTrustList list;
  list.trusted = CertificatesIn(Folder(kTrustedCerts));
  list.issuers = CertificatesIn(Folder("issuers/certs"));
  AddCrlsIn(Folder("trusted/crl"), list.crls);
  AddCrlsIn(Folder("issuers/crl"), list.crls);
  return list;
}

UaCertificateCheck UaPkiStore::CheckClientCertificate(std::span<const std::uint8_t> der,
                                                      std::string_view applicationUri) const {
  std::vector<UaX509> chain = UaCertificateChainFromDer(der);
  if (chain.empty()) return {ua_status::BadCertificateInvalid, "no readable certificate"};
  UaTrustList trust = LoadTrustList();
  // Issuers sent along with the certificate complete its chain; they are not trusted for that.
  for (std::size_t i = 1; i < chain.size(); ++i) trust.issuers.push_back(std::move(chain[i]));
  UaCertificateCheck check = UaValidateCertificate(chain[0].get(), trust, applicationUri);
  if (ua_status::IsBad(check.status)) {
    std::string ignored;
    Store(chain[0].get(), kRejectedCerts, &ignored);
  }
  return check;
}

std::string UaPkiStore::FileNameOf(X509* certificate) {
  std::string name;
  for (char c : UaCommonName(certificate)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == ' ';
    name += plain ? c : '_';
  }
  if (name.size() > 64) name.resize(64);
  return name + " [" + UaThumbprint(certificate) + "].der";
}

bool UaPkiStore::Store(X509* certificate, std::string_view folder, std::string* error) const {
  if (!CreateLayout(error)) return false;
  UaBytes der = UaCertificateToDer(certificate);
  return UaWriteFileAtomically(Folder(folder) + "/" + FileNameOf(certificate),
                               std::string(der.begin(), der.end()), 0644, error);
}

void UaPkiStore::RemoveFrom(std::string_view folder, const std::string& thumbprint) const {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(Folder(folder), ec)) {
    UaX509 c = UaReadCertificateFile(entry.path().string());
    if (c && UaThumbprint(c.get()) == thumbprint) fs::remove(entry.path(), ec);
  }
}

UaX509 UaPkiStore::Find(const std::string& certificate, std::string_view folder,
                        std::string* error) const {
  std::error_code ec;
  if (fs::is_regular_file(certificate, ec)) {
    UaX509 c = UaReadCertificateFile(certificate);
    if (!c && error) *error = certificate + " holds no certificate (DER or PEM)";
    return c;
  }
  if (certificate.size() >= 8 && IsHex(certificate)) {
    std::string prefix = certificate;
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    UaX509 match;
    for (UaX509& c : CertificatesIn(Folder(folder))) {
      if (!UaThumbprint(c.get()).starts_with(prefix)) continue;
      if (match) {
        if (error)
          *error = "more than one certificate in " + Folder(folder) + " starts with " + certificate;
        return nullptr;
      }
      match = std::move(c);
    }
    if (match) return match;
  }
  if (error) {
    *error = "no file and no thumbprint of a certificate in " + Folder(folder) + ": " + certificate;
  }
  return nullptr;
}

bool UaPkiStore::Trust(const std::string& certificate, std::string* error) const {
  UaX509 c = Find(certificate, kRejectedCerts, error);
  if (!c || !Store(c.get(), kTrustedCerts, error)) return false;
  RemoveFrom(kRejectedCerts, UaThumbprint(c.get()));
  return true;
}

bool UaPkiStore::Reject(const std::string& certificate, std::string* error) const {
  UaX509 c = Find(certificate, kTrustedCerts, error);
  if (!c || !Store(c.get(), kRejectedCerts, error)) return false;
  RemoveFrom(kTrustedCerts, UaThumbprint(c.get()));
  return true;
}

std::vector<UaPkiStore::Entry> UaPkiStore::List() const {
  std::vector<Entry> entries;
  for (auto [folder, sub] :
       {std::pair{"own", "own/certs"}, std::pair{"trusted", "trusted/certs"},
        std::pair{"issuers", "issuers/certs"}, std::pair{"rejected", "rejected/certs"}}) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(Folder(sub), ec)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
      UaX509 c = UaReadCertificateFile(path.string());
      if (!c) continue;
      entries.push_back({folder, path.string(), UaThumbprint(c.get()), UaSubjectText(c.get()),
                         UaNotAfterText(c.get())});
    }
  }
  return entries;
}
