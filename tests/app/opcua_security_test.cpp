// The OPC UA security the server starts with: loopback keeps None and anonymous, all
// interfaces only secured endpoints and users unless --allow-insecure; the options that choose
// policies, modes and anonymous login.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/opcua_security.h"

namespace {

using Mode = UaSecurityMode;

std::vector<UaEndpointSecurity> Endpoints(
    std::initializer_list<std::pair<std::string_view, Mode>> list) {
  std::vector<UaEndpointSecurity> endpoints;
  for (auto [uri, mode] : list) endpoints.push_back({std::string(uri), mode});
  return endpoints;
}

}  // namespace

TEST(OpcUaSecurity, LoopbackOffersEverythingAndAllInterfacesOnlySecuredLogins) {
  OpcUaSecurityChoice loopback;
  OpcUaSecurityPlan plan = PlanOpcUaSecurity(loopback);
  EXPECT_TRUE(plan.error.empty());
  EXPECT_TRUE(plan.warnings.empty());
  EXPECT_TRUE(plan.allowAnonymous);
  ASSERT_EQ(plan.endpoints.size(), 7u);
  EXPECT_EQ(plan.endpoints[0], (UaEndpointSecurity{std::string(ua_policy::None), Mode::None}));
  EXPECT_EQ(plan.endpoints[1],
            (UaEndpointSecurity{std::string(ua_policy::Basic256Sha256), Mode::Sign}));
  EXPECT_EQ(plan.endpoints[6],
            (UaEndpointSecurity{std::string(ua_policy::Aes256Sha256RsaPss), Mode::SignAndEncrypt}));

  OpcUaSecurityChoice network;
  network.listenAny = true;
  plan = PlanOpcUaSecurity(network);
  EXPECT_FALSE(plan.allowAnonymous);
  ASSERT_EQ(plan.endpoints.size(), 6u);
  for (const UaEndpointSecurity& e : plan.endpoints) EXPECT_NE(e.mode, Mode::None);
  EXPECT_TRUE(plan.warnings.empty());

  network.allowInsecure = true;
  plan = PlanOpcUaSecurity(network);
  EXPECT_TRUE(plan.allowAnonymous);
  EXPECT_EQ(plan.endpoints.size(), 7u);
  ASSERT_EQ(plan.warnings.size(), 1u);
  EXPECT_NE(plan.warnings[0].find("--allow-insecure"), std::string::npos);

  // Asked for insecure, but the settings offer nothing insecure: no warning.
  network.policies = opcua_policy_bit::Aes256Sha256RsaPss;
  network.modes = opcua_mode_bit::SignAndEncrypt;
  network.anonymous = false;
  plan = PlanOpcUaSecurity(network);
  EXPECT_TRUE(plan.warnings.empty());
  EXPECT_EQ(plan.endpoints, Endpoints({{ua_policy::Aes256Sha256RsaPss, Mode::SignAndEncrypt}}));
}

TEST(OpcUaSecurity, ChoicesThatLeaveNothingOrNobodyAreReported) {
  OpcUaSecurityChoice onlyNone;
  onlyNone.policies = opcua_policy_bit::None;
  onlyNone.listenAny = true;
  OpcUaSecurityPlan plan = PlanOpcUaSecurity(onlyNone);
  EXPECT_FALSE(plan.error.empty()) << "None only, on all interfaces, without --allow-insecure";
  EXPECT_NE(plan.error.find("--allow-insecure"), std::string::npos) << plan.error;

  OpcUaSecurityChoice noUsers;
  noUsers.anonymous = false;
  noUsers.haveUsers = false;
  plan = PlanOpcUaSecurity(noUsers);
  EXPECT_TRUE(plan.error.empty());
  ASSERT_EQ(plan.warnings.size(), 1u);
  EXPECT_NE(plan.warnings[0].find("zelvox-tool user add"), std::string::npos);

  // Without a certificate only None is left; on all interfaces that is nothing.
  OpcUaSecurityChoice noCertificate;
  noCertificate.haveCertificate = false;
  plan = PlanOpcUaSecurity(noCertificate);
  EXPECT_EQ(plan.endpoints, Endpoints({{ua_policy::None, Mode::None}}));
  EXPECT_FALSE(plan.warnings.empty());
  noCertificate.listenAny = true;
  EXPECT_FALSE(PlanOpcUaSecurity(noCertificate).error.empty());
}

TEST(OpcUaSecurity, CommandLineOptionsChoosePoliciesModesAndAnonymousLogin) {
  CommandLine line = ParseCommandLine({"--listen-any", "--allow-insecure",
                                       "--security-policies=none,Basic256Sha256,aes256",
                                       "--security-modes", "SignAndEncrypt", "--no-anonymous"});
  EXPECT_TRUE(line.error.empty()) << line.error;
  EXPECT_TRUE(line.allowInsecure);
  EXPECT_EQ(line.securityPolicies, opcua_policy_bit::None | opcua_policy_bit::Basic256Sha256 |
                                       opcua_policy_bit::Aes256Sha256RsaPss);
  EXPECT_EQ(line.securityModes, opcua_mode_bit::SignAndEncrypt);
  EXPECT_EQ(line.anonymous, false);
  EXPECT_EQ(ParseCommandLine({"--anonymous"}).anonymous, true);
  EXPECT_FALSE(ParseCommandLine({}).anonymous.has_value());
  EXPECT_EQ(ParseSecurityPolicies("Aes128_Sha256_RsaOaep,aes128"),
            opcua_policy_bit::Aes128Sha256RsaOaep);
  for (const char* bad : {"", "none,", "basic128rsa15", "none,,aes128"}) {
    EXPECT_FALSE(ParseSecurityPolicies(bad)) << bad;
  }
  EXPECT_FALSE(ParseSecurityModes("none"));
  EXPECT_FALSE(ParseCommandLine({"--security-policies", "des"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--security-modes"}).error.empty());

  UaSecurityOptions security;
  security.endpoints = Endpoints({{ua_policy::None, Mode::None},
                                  {ua_policy::Basic256Sha256, Mode::Sign},
                                  {ua_policy::Basic256Sha256, Mode::SignAndEncrypt}});
  EXPECT_EQ(DescribeOpcUaSecurity(security),
            "security None, Basic256Sha256 Sign/SignAndEncrypt; anonymous login");
}
