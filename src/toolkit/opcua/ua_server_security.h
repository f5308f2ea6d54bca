// UaServerSecurity: the server's own certificate and private key, the security policies and
// modes it offers, and the check of client certificates, shared by all connections.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_crypto.h"
#include "toolkit/opcua/ua_security_policy.h"
#include "toolkit/opcua/ua_server_options.h"

class UaServerSecurity {
 public:
  struct Endpoint {
    const UaSecurityPolicy* policy;
    UaSecurityMode mode;
  };

  // Reads the key and certificate of `options`. Null with a message in `error` when they are
  // unreadable, do not belong together, or secured policies are asked for without them.
  static std::shared_ptr<const UaServerSecurity> Create(const UaServerOptions& options,
                                                        std::string* error);

  // The endpoints offered, None first when it is.
  const std::vector<Endpoint>& Endpoints() const { return m_endpoints; }
  bool Offers(const UaSecurityPolicy& policy, UaSecurityMode mode) const;
  // Whether any mode of `policy` is offered.
  bool OffersPolicy(const UaSecurityPolicy& policy) const;
  const std::string& Certificate() const { return m_certificate; }
  const std::string& Thumbprint() const { return m_thumbprint; }
  const UaRsaKey& PrivateKey() const { return m_privateKey; }
  UaStatusCode ValidateClient(const std::string& certificate) const;

 private:
  std::string m_certificate;
  std::string m_thumbprint;
  UaRsaKey m_privateKey;
  std::vector<Endpoint> m_endpoints;
  std::function<UaStatusCode(const std::string&)> m_validate;
};
