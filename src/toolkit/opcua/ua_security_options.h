// UaSecurityOptions: which security policies and modes the server's endpoints offer, whether
// anonymous login is allowed, and the certificate, client certificate check and users behind
// them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "toolkit/opcua/ua_application_certificate.h"
#include "toolkit/opcua/ua_certificate_validation.h"
#include "toolkit/opcua/ua_security_policy.h"

struct UaEndpointSecurity {
  std::string policyUri;
  UaSecurityMode mode = UaSecurityMode::None;
  bool operator==(const UaEndpointSecurity&) const = default;
};

class UaUserStore;

struct UaSecurityOptions {
  // One endpoint each, in this order. Secured ones need `certificate`.
  std::vector<UaEndpointSecurity> endpoints{{std::string(ua_policy::None), UaSecurityMode::None}};
  bool allowAnonymous = true;
  // The application instance certificate and its key; null: none (policy None only, and no
  // user name login, whose password is encrypted with the server's key).
  std::shared_ptr<const UaApplicationCertificate> certificate;
  // Decides on the certificate (DER, possibly followed by its issuers) a client opens a secured
  // channel with, once the client proved that it holds its key (the PKI folder's trust lists).
  // Unset: every client certificate is refused.
  std::function<UaCertificateCheck(std::span<const std::uint8_t> certificate)>
      validateClientCertificate;
  // The users who may log in with user name and password; null: nobody.
  std::shared_ptr<UaUserStore> users;
};
