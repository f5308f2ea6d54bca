// UaServerSecurity: checking the offered endpoints against the application's key pair.
#include "toolkit/opcua/ua_server_security.h"

#include <algorithm>

std::shared_ptr<const UaServerSecurity> UaServerSecurity::Create(const UaSecurityOptions& options,
                                                                 std::string* error) {
  auto fail = [&](const std::string& text) {
    if (error) *error = "OPC UA server: " + text;
    return nullptr;
  };
  auto security = std::make_shared<UaServerSecurity>();
  std::size_t keyBits = 0;
  if (options.certificate) {
    const UaBytes& der = options.certificate->der;
    security->m_certificate.assign(der.begin(), der.end());
    UaRsaKey publicKey = UaRsaKey::FromCertificate(security->m_certificate);
    security->m_privateKey = UaRsaKey::FromKey(options.certificate->key);
    if (!publicKey.Valid() || !security->m_privateKey.Valid()) {
      return fail("the application certificate or its key is no RSA key");
    }
    if (!security->m_privateKey.Matches(publicKey)) {
      return fail("the private key does not belong to the application certificate");
    }
    security->m_thumbprint = UaSha1(security->m_certificate);
    keyBits = publicKey.Size() * 8;
  }
  for (const UaEndpointSecurity& endpoint : options.endpoints) {
    const UaSecurityPolicy* policy = FindSecurityPolicy(endpoint.policyUri);
    if (policy == nullptr) return fail("unknown security policy " + endpoint.policyUri);
    if (policy->secured == (endpoint.mode == UaSecurityMode::None)) {
      return fail("security policy " + endpoint.policyUri + " in a mode it does not have");
    }
    if (policy->secured) {
      if (keyBits == 0) return fail("secured endpoints need the application certificate");
      if (keyBits < policy->minAsymmetricKeyBits || keyBits > policy->maxAsymmetricKeyBits) {
        return fail("the application key of " + std::to_string(keyBits) + " bits does not suit " +
                    endpoint.policyUri);
      }
    }
    security->m_endpoints.push_back({policy, endpoint.mode});
  }
  if (security->m_endpoints.empty()) return fail("no endpoint is offered");
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

UaCertificateCheck UaServerSecurity::ValidateClient(const std::string& certificate) const {
  if (!m_validate) return {ua_status::BadSecurityChecksFailed, "no client certificate is trusted"};
  return m_validate(
      std::span(reinterpret_cast<const std::uint8_t*>(certificate.data()), certificate.size()));
}
