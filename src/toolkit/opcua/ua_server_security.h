// UaServerSecurity: the server's own certificate and private key, the security policies and
// modes it offers, and the check of client certificates, shared by all connections.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_crypto.h"
#include "toolkit/opcua/ua_security_options.h"
#include "toolkit/opcua/ua_security_policy.h"

class UaServerSecurity {
 public:
  struct Endpoint {
    const UaSecurityPolicy* policy;
    UaSecurityMode mode;
  };

  // Checks the endpoints of `options` against the policies the server knows and the
  // certificate. Null with a message in `error` when a policy is unknown, a mode does not fit
  // its policy, or secured endpoints lack a certificate whose key suits them.
  static std::shared_ptr<const UaServerSecurity> Create(const UaSecurityOptions& options,
                                                        std::string* error);

  // The endpoints offered, in the order of the options.
  const std::vector<Endpoint>& Endpoints() const { return m_endpoints; }
  bool Offers(const UaSecurityPolicy& policy, UaSecurityMode mode) const;
  // Whether any mode of `policy` is offered.
  bool OffersPolicy(const UaSecurityPolicy& policy) const;
  // The application certificate (DER), empty without one, its SHA-1 thumbprint and its key.
  const std::string& Certificate() const { return m_certificate; }
  const std::string& Thumbprint() const { return m_thumbprint; }
  const UaRsaKey& PrivateKey() const { return m_privateKey; }
  // The check of a client certificate (DER chain); refused when no check is set.
  UaCertificateCheck ValidateClient(const std::string& certificate) const;

 private:
  std::string m_certificate;
  std::string m_thumbprint;
  UaRsaKey m_privateKey;
  std::vector<Endpoint> m_endpoints;
  std::function<UaCertificateCheck(std::span<const std::uint8_t>)> m_validate;
};
