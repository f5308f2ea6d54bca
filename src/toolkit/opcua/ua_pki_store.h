// UaPkiStore: the PKI folder of the server (own certificate and key, trusted, issuer and
// rejected certificates, CRLs) in the layout other OPC UA stacks use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_application_certificate.h"
#include "toolkit/opcua/ua_certificate_validation.h"

class UaPkiStore {
 public:
  // `root` is the PKI folder, e.g. $ZELVOX_HOME/pki.
  explicit UaPkiStore(std::string root);
  const std::string& Root() const { return m_root; }

  // Creates the folders that are missing: own/certs, own/private (only the owner may enter),
  // trusted/certs, trusted/crl, rejected/certs, issuers/certs, issuers/crl.
  bool CreateLayout(std::string* error) const;

  // The server's certificate and key from own/certs and own/private; new ones are made and
  // saved when they are missing, unreadable, do not belong together or name another
  // application URI.
  std::optional<UaApplicationCertificate> LoadOrCreateOwnCertificate(
      const UaCertificateRequest& request, std::string* error) const;

  // The trusted and issuer certificates and CRLs as they are in the folders now.
  UaTrustList LoadTrustList() const;
  // Validates a client's certificate (DER, possibly followed by its issuers) against the folders
  // as they are now, so that a certificate trusted meanwhile is accepted without a restart.
  // `applicationUri` empty: not compared. A refused certificate is copied to rejected/certs,
  // from where the administrator can trust it. Clients are best told Bad_SecurityChecksFailed
  // for Bad_CertificateUntrusted, the specific code going to the log.
  UaCertificateCheck CheckClientCertificate(std::span<const std::uint8_t> der,
                                            std::string_view applicationUri) const;

  struct Entry {
    std::string folder;  // "own", "trusted", "issuers" or "rejected"
    std::string path;
    std::string thumbprint;
    std::string subject;
    std::string notAfter;
  };
  // The certificates of every folder.
  std::vector<Entry> List() const;
  // Copies a certificate (a DER or PEM file, or the thumbprint, or its first 8 or more hex
  // digits, of a rejected one) to trusted/certs and removes it from rejected/certs.
  bool Trust(const std::string& certificate, std::string* error) const;
  // Moves a certificate (a file, or the thumbprint of a trusted one) to rejected/certs and
  // removes it from trusted/certs.
  bool Reject(const std::string& certificate, std::string* error) const;

  // The file name a certificate is kept under: its common name and thumbprint.
  static std::string FileNameOf(X509* certificate);

 private:
  std::string Folder(std::string_view sub) const { return m_root + "/" + std::string(sub); }
  // The certificate named by a file path or a thumbprint (prefix) in `folder`.
  UaX509 Find(const std::string& certificate, std::string_view folder, std::string* error) const;
  // Removes the certificates with `thumbprint` from `folder`.
  void RemoveFrom(std::string_view folder, const std::string& thumbprint) const;
  bool Store(X509* certificate, std::string_view folder, std::string* error) const;

  std::string m_root;
};
