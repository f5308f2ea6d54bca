// UaServerSecurity: loading the application's key pair and choosing the offered endpoints.
#include "toolkit/opcua/ua_server_security.h"

#include <algorithm>

std::shared_ptr<const UaServerSecurity> UaServerSecurity::Create(const UaServerOptions& options,
                                                                 std::string* error) {
  auto fail = [&](const std::string& text) {
    if (error) *error = "OPC UA server: " + text;
    return nullptr;
  };
  auto security = std::make_shared<UaServerSecurity>();
  if (options.allowNone) {
    security->m_endpoints.push_back({FindSecurityPolicy(ua_policy::None), UaSecurityMode::None});
  }
  std::vector<const UaSecurityPolicy*> policies;
  for (const std::string& uri : options.securityPolicies) {
    const UaSecurityPolicy* p = FindSecurityPolicy(uri);
    if (p == nullptr || !p->secured) return fail("unknown security policy " + uri);
    policies.push_back(p);
  }
  if (options.securityPolicies.empty() && !options.certificate.empty()) {
    for (const UaSecurityPolicy* p : SecuredPolicies()) policies.push_back(p);
  }
  if (!policies.empty()) {
    if (options.certificate.empty() || options.privateKey.empty()) {
      return fail("secured endpoints need the application certificate and its private key");
    }
    UaRsaKey publicKey = UaRsaKey::FromCertificate(options.certificate);
    if (!publicKey.Valid()) return fail("the application certificate is no RSA certificate");
    security->m_privateKey = UaRsaKey::FromPrivateKey(options.privateKey);
    if (!security->m_privateKey.Valid()) return fail("the private key cannot be read");
    if (!security->m_privateKey.Matches(publicKey)) {
      return fail("the private key does not belong to the application certificate");
    }
    std::size_t bits = publicKey.Size() * 8;
    for (const UaSecurityPolicy* p : policies) {
      if (bits < p->minAsymmetricKeyBits || bits > p->maxAsymmetricKeyBits) {
        return fail("the application key of " + std::to_string(bits) + " bits does not suit " +
                    std::string(p->uri));
      }
      security->m_endpoints.push_back({p, UaSecurityMode::Sign});
      security->m_endpoints.push_back({p, UaSecurityMode::SignAndEncrypt});
    }
    security->m_certificate = options.certificate;
    security->m_thumbprint = UaSha1(options.certificate);
  }
  if (security->m_endpoints.empty()) return fail("no security policy is offered");
  security->m_validate = options.validateClientCertificate;
  return security;
}

bool UaServerSecurity::Offers(const UaSecurityPolicy& policy, UaSecurityMode mode) const {
  return std::any_of(m_endpoints.begin(), m_endpoints.end(),
                     [&](const Endpoint& e) { return e.policy == &policy && e.mode == mode; });
}

bool UaServerSecurity::OffersPolicy(const UaSecurityPolicy& policy) const {
  return std::any_of(m_endpoints.begin(), m_endpoints.end(),
                     [&](const Endpoint& e) { return e.policy == &policy; });
}

UaStatusCode UaServerSecurity::ValidateClient(const std::string& certificate) const {
  if (!m_validate) return ua_status::BadSecurityChecksFailed;
  return m_validate(certificate);
}
