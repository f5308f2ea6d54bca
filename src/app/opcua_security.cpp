// OpcUaSecurity: from settings and options to the endpoints, certificate and users served.
#include "app/opcua_security.h"

#include <unistd.h>

#include <array>

#include "app/command_line.h"
#include "app/setting_definitions.h"
#include "platform/log.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/equal_no_case.h"
#include "toolkit/opcua/ua_endpoint_urls.h"
#include "toolkit/opcua/ua_pki_store.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/opcua/ua_user_store.h"

namespace {

struct NamedPolicy {
  std::uint32_t bit;
  std::string_view uri;
  std::string_view name;
};
constexpr std::array<NamedPolicy, 4> kPolicies{{
    {opcua_policy_bit::None, ua_policy::None, "None"},
    {opcua_policy_bit::Basic256Sha256, ua_policy::Basic256Sha256, "Basic256Sha256"},
    {opcua_policy_bit::Aes128Sha256RsaOaep, ua_policy::Aes128Sha256RsaOaep,
     "Aes128_Sha256_RsaOaep"},
    {opcua_policy_bit::Aes256Sha256RsaPss, ua_policy::Aes256Sha256RsaPss, "Aes256_Sha256_RsaPss"},
}};

// Each name of a comma-separated list through `bitOf`; no value for an unknown or empty one.
template <typename BitOf>
std::optional<std::uint32_t> ParseList(std::string_view list, BitOf bitOf) {
  std::uint32_t bits = 0;
  while (true) {
    std::size_t comma = list.find(',');
    std::string_view name = list.substr(0, comma);
    std::uint32_t bit = bitOf(name);
    if (bit == 0) return std::nullopt;
    bits |= bit;
    if (comma == std::string_view::npos) return bits;
    list.remove_prefix(comma + 1);
  }
}

std::int32_t Setting(SettingsStore& store, const char* name) {
  const SettingDefinition* setting = FindSetting(name);
  std::int32_t value = store.GetInt(kParameterKey, name).value_or(setting->defaultNumber);
  return CheckSettingNumber(*setting, std::to_string(value)) ? value : setting->defaultNumber;
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace

std::string OpcUaPkiFolder() {
  return SettingsHome() + "/pki";
}

std::string OpcUaUsersFile() {
  return SettingsHome() + "/users";
}

std::optional<std::uint32_t> ParseSecurityPolicies(std::string_view list) {
  return ParseList(list, [](std::string_view name) -> std::uint32_t {
    for (const NamedPolicy& policy : kPolicies) {
      if (EqualNoCase(name, policy.name)) return policy.bit;
    }
    if (EqualNoCase(name, "aes128")) return opcua_policy_bit::Aes128Sha256RsaOaep;
    if (EqualNoCase(name, "aes256")) return opcua_policy_bit::Aes256Sha256RsaPss;
    return 0;
  });
}

std::optional<std::uint32_t> ParseSecurityModes(std::string_view list) {
  return ParseList(list, [](std::string_view name) -> std::uint32_t {
    if (EqualNoCase(name, "sign")) return opcua_mode_bit::Sign;
    if (EqualNoCase(name, "signandencrypt")) return opcua_mode_bit::SignAndEncrypt;
    return 0;
  });
}

OpcUaSecurityPlan PlanOpcUaSecurity(const OpcUaSecurityChoice& choice) {
  OpcUaSecurityPlan plan;
  std::uint32_t policies = choice.policies;
  plan.allowAnonymous = choice.anonymous;
  if (choice.listenAny && !choice.allowInsecure) {
    policies &= ~opcua_policy_bit::None;
    plan.allowAnonymous = false;
  } else if (choice.listenAny &&
             ((policies & opcua_policy_bit::None) != 0 || plan.allowAnonymous)) {
    plan.warnings.push_back(
        "OPC UA: --allow-insecure: security policy None and/or anonymous login are offered on "
        "every interface; anyone who reaches the port can read and write the KNX bus");
  }
  if (!choice.haveCertificate && (policies & ~opcua_policy_bit::None) != 0) {
    policies &= opcua_policy_bit::None;
    plan.warnings.push_back(
        "OPC UA: without an application certificate only security policy None is offered");
  }
  for (const NamedPolicy& policy : kPolicies) {
    if ((policies & policy.bit) == 0) continue;
    if (policy.bit == opcua_policy_bit::None) {
      plan.endpoints.push_back({std::string(policy.uri), UaSecurityMode::None});
      continue;
    }
    if (choice.modes & opcua_mode_bit::Sign) {
      plan.endpoints.push_back({std::string(policy.uri), UaSecurityMode::Sign});
    }
    if (choice.modes & opcua_mode_bit::SignAndEncrypt) {
      plan.endpoints.push_back({std::string(policy.uri), UaSecurityMode::SignAndEncrypt});
    }
  }
  if (plan.endpoints.empty()) {
    plan.error = choice.listenAny && !choice.allowInsecure
                     ? "OPC UA: beyond loopback only secured endpoints are offered, and no secured "
                       "security policy and mode is chosen (settings OpcUaSecurityPolicies, "
                       "OpcUaSecurityModes, or --allow-insecure)"
                     : "OPC UA: no endpoint is left to offer (settings OpcUaSecurityPolicies and "
                       "OpcUaSecurityModes)";
    return plan;
  }
  if (!plan.allowAnonymous && !choice.haveUsers) {
    plan.warnings.push_back(
        "OPC UA: anonymous login is off and no user is set up, so nobody can log in; add one "
        "with: zelvox-tool user add NAME");
  }
  return plan;
}

bool ConfigureOpcUaSecurity(UaServerOptions& options, const CommandLine& line, SettingsStore& store,
                            std::string* error) {
  OpcUaSecurityChoice choice;
  choice.policies = line.securityPolicies.value_or(
      static_cast<std::uint32_t>(Setting(store, kOpcUaSecurityPoliciesValue)));
  choice.modes = line.securityModes.value_or(
      static_cast<std::uint32_t>(Setting(store, kOpcUaSecurityModesValue)));
  choice.anonymous = line.anonymous.value_or(Setting(store, kOpcUaAnonymousValue) != 0);
  choice.listenAny = options.listenAny;
  choice.allowInsecure = line.allowInsecure;

  UaCertificateRequest request;
  request.applicationUri = options.applicationUri;
  request.applicationName = options.applicationName;
  request.hostNames = {"localhost"};
  if (std::string host = HostName(); !host.empty() && host != "localhost") {
    request.hostNames.push_back(host);
  }
  request.addresses = options.listenAny ? UaEndpointUrls::InterfaceAddresses()
                                        : std::vector<std::string>{"127.0.0.1"};
  auto pki = std::make_shared<UaPkiStore>(OpcUaPkiFolder());
  std::string problem;
  auto certificate = pki->LoadOrCreateOwnCertificate(request, &problem);
  if (!certificate) {
    Log(LogLevel::Error, "OPC UA: no application certificate in " + pki->Root() + ": " + problem);
  }
  auto users = std::make_shared<UaUserStore>(OpcUaUsersFile());
  if (!users->Load(&problem)) Log(LogLevel::Error, "OPC UA: users: " + problem);
  choice.haveCertificate = certificate.has_value();
  choice.haveUsers = certificate && !users->Users().empty();

  OpcUaSecurityPlan plan = PlanOpcUaSecurity(choice);
  for (const std::string& warning : plan.warnings) Log(LogLevel::Warning, warning);
  if (!plan.error.empty()) {
    if (error) *error = plan.error;
    return false;
  }
  UaSecurityOptions& security = options.security;
  security.endpoints = std::move(plan.endpoints);
  security.allowAnonymous = plan.allowAnonymous;
  // Checked as the folders are at each connection: a certificate trusted meanwhile is accepted
  // without a restart. The application URI is compared at CreateSession.
  security.validateClientCertificate = [pki](std::span<const std::uint8_t> certificate) {
    return pki->CheckClientCertificate(certificate, {});
  };
  if (certificate) {
    security.certificate = std::make_shared<UaApplicationCertificate>(std::move(*certificate));
    security.users = std::move(users);
  }
  return true;
}

std::string DescribeOpcUaSecurity(const UaSecurityOptions& security) {
  std::string text = "security";
  std::string_view last;
  for (const UaEndpointSecurity& endpoint : security.endpoints) {
    std::string_view name = endpoint.policyUri;
    for (const NamedPolicy& policy : kPolicies) {
      if (policy.uri == endpoint.policyUri) name = policy.name;
    }
    bool same = name == last;
    if (!same) text += std::string(last.empty() ? " " : ", ") + std::string(name);
    if (endpoint.mode != UaSecurityMode::None) {
      text += same ? "/" : " ";
      text += endpoint.mode == UaSecurityMode::Sign ? "Sign" : "SignAndEncrypt";
    }
    last = name;
  }
  if (security.allowAnonymous && security.users) return text + "; anonymous and user login";
  if (security.allowAnonymous) return text + "; anonymous login";
  return text + (security.users ? "; user login only" : "; no login possible");
}
