// OpcUaSecurity: the OPC UA endpoints, logins, certificate, trust lists and users the server
// starts with, as the settings and the command line choose them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_security_options.h"

class SettingsStore;
struct CommandLine;
struct UaServerOptions;

// Bits of the setting "OpcUaSecurityPolicies" and of --security-policies.
namespace opcua_policy_bit {
constexpr std::uint32_t None = 1;
constexpr std::uint32_t Basic256Sha256 = 2;
constexpr std::uint32_t Aes128Sha256RsaOaep = 4;
constexpr std::uint32_t Aes256Sha256RsaPss = 8;
constexpr std::uint32_t All = 15;
}  // namespace opcua_policy_bit
// Bits of the setting "OpcUaSecurityModes" and of --security-modes.
namespace opcua_mode_bit {
constexpr std::uint32_t Sign = 1;
constexpr std::uint32_t SignAndEncrypt = 2;
constexpr std::uint32_t All = 3;
}  // namespace opcua_mode_bit

// The PKI folder and the users file in the settings folder.
std::string OpcUaPkiFolder();
std::string OpcUaUsersFile();

// "none,basic256sha256,..." as policy bits; no value when a name is unknown.
std::optional<std::uint32_t> ParseSecurityPolicies(std::string_view list);
// "sign,signandencrypt" as mode bits.
std::optional<std::uint32_t> ParseSecurityModes(std::string_view list);

struct OpcUaSecurityChoice {
  std::uint32_t policies = opcua_policy_bit::All;
  std::uint32_t modes = opcua_mode_bit::All;
  bool anonymous = true;
  bool listenAny = false;
  bool allowInsecure = false;
  bool haveCertificate = true;  // secured endpoints and user names need it
  bool haveUsers = true;        // someone can log in with a user name
};

struct OpcUaSecurityPlan {
  std::vector<UaEndpointSecurity> endpoints;
  bool allowAnonymous = false;
  std::vector<std::string> warnings;  // for stderr at start
  std::string error;                  // set: the server cannot start like this
};

// Beyond loopback only secured endpoints and user login are offered, unless the insecure ones
// are asked for explicitly (with a warning). None comes first, then each secured policy with
// Sign and SignAndEncrypt.
OpcUaSecurityPlan PlanOpcUaSecurity(const OpcUaSecurityChoice& choice);

// Reads the settings, applies the command line over them, loads or makes the application
// certificate and fills `options.security`; false with the reason in `error` when the server
// cannot start so. Warnings go to the log.
bool ConfigureOpcUaSecurity(UaServerOptions& options, const CommandLine& line, SettingsStore& store,
                            std::string* error);

// One line on what is offered, e.g. "security None, Basic256Sha256 (Sign, SignAndEncrypt);
// anonymous and user login".
std::string DescribeOpcUaSecurity(const UaSecurityOptions& security);
