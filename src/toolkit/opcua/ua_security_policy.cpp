// The security policies None, Basic256Sha256, Aes128_Sha256_RsaOaep and Aes256_Sha256_RsaPss.
#include "toolkit/opcua/ua_security_policy.h"

namespace {
constexpr std::string_view kRsaSha256 = "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
constexpr std::string_view kRsaPssSha256 = "http://opcfoundation.org/UA/security/rsa-pss-sha2-256";

constexpr UaSecurityPolicy kNone{ua_policy::None,
                                 false,
                                 UaRsaSignature::Pkcs1Sha256,
                                 UaRsaEncryption::OaepSha1,
                                 {},
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0};
constexpr UaSecurityPolicy kAes128{ua_policy::Aes128Sha256RsaOaep,
                                   true,
                                   UaRsaSignature::Pkcs1Sha256,
                                   UaRsaEncryption::OaepSha1,
                                   kRsaSha256,
                                   32,
                                   16,
                                   32,
                                   2048,
                                   4096,
                                   1};
constexpr UaSecurityPolicy kBasic256Sha256{ua_policy::Basic256Sha256,
                                           true,
                                           UaRsaSignature::Pkcs1Sha256,
                                           UaRsaEncryption::OaepSha1,
                                           kRsaSha256,
                                           32,
                                           32,
                                           32,
                                           2048,
                                           4096,
                                           2};
constexpr UaSecurityPolicy kAes256Pss{ua_policy::Aes256Sha256RsaPss,
                                      true,
                                      UaRsaSignature::PssSha256,
                                      UaRsaEncryption::OaepSha256,
                                      kRsaPssSha256,
                                      32,
                                      32,
                                      32,
                                      2048,
                                      4096,
                                      3};
constexpr const UaSecurityPolicy* kSecured[] = {&kAes128, &kBasic256Sha256, &kAes256Pss};
}  // namespace

const UaSecurityPolicy* FindSecurityPolicy(std::string_view uri) {
  if (uri == kNone.uri) return &kNone;
  for (const UaSecurityPolicy* p : kSecured) {
    if (p->uri == uri) return p;
  }
  return nullptr;
}

std::span<const UaSecurityPolicy* const> SecuredPolicies() {
  return kSecured;
}

std::uint8_t EndpointSecurityLevel(const UaSecurityPolicy& policy, UaSecurityMode mode) {
  if (!policy.secured) return 0;
  return static_cast<std::uint8_t>(policy.securityLevel +
                                   (mode == UaSecurityMode::SignAndEncrypt ? 10 : 0));
}
