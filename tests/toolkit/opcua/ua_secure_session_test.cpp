// Sessions over secured channels end to end: both sides prove their keys, large responses
// cross several secured chunks, and a session stays with the application that created it.
#include <gtest/gtest.h>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_server.h"
#include "ua_test_certificates.h"
#include "ua_test_client.h"

namespace {
const UaApplicationCertificate& Server() {
  return SharedTestCertificate(2048, "urn:Varnok:Zelvox");
}

UaServerOptions SecuredOptions() {
  UaServerOptions options;
  options.port = 0;
  options.security = TestServerSecurity(Server());
  return options;
}

UaClientSecurity Client(std::string_view policy, UaSecurityMode mode,
                        const UaApplicationCertificate& certificate, const std::string& uri) {
  return ClientSecurity(policy, mode, certificate, uri, DerString(Server()));
}
}  // namespace

TEST(UaSecureSession, EveryPolicyReadsManyValuesAfterBothSidesProvedTheirKeys) {
  FakeItemTree tree;
  std::vector<UaNodeId> nodes;
  for (int k = 0; k < 300; ++k) {
    std::string leaf = "3/0/" + std::to_string(k);
    tree.Add("Main.Values", leaf, VT_BSTR, Variant::Bstr(std::u16string(100, u'a' + k % 26)));
    nodes.push_back(UaNodeId::String(kItemNamespace, "Main.Values." + leaf));
  }
  UaServer server(tree, SecuredOptions());
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  const UaApplicationCertificate& mine = SharedTestCertificate(2048, "urn:test:client");
  for (const UaSecurityPolicy* policy : SecuredPolicies()) {
    for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
      SCOPED_TRACE(std::string(policy->uri) + " mode " + std::to_string(static_cast<int>(mode)));
      UaTestClient client;
      client.SetSecurity(Client(policy->uri, mode, mine, "urn:test:client"));
      ASSERT_TRUE(client.Connect(server.Port()));
      // The client checks the server's signature of its certificate and nonce, the server the
      // client's signature of the server certificate and nonce.
      ASSERT_EQ(client.CreateSession(), ua_status::Good);
      ASSERT_EQ(client.ActivateSession(UaTestClient::AnonymousIdentity()), ua_status::Good);
      auto values = client.Read(nodes, 0);  // about 33 kB: several secured chunks
      ASSERT_TRUE(values.has_value());
      ASSERT_EQ(values->size(), 300u);
      EXPECT_TRUE((*values)[27].value == UaVariant::String(std::string(100, 'b')));
      EXPECT_TRUE(client.CloseSession());
    }
  }
}

TEST(UaSecureSession, ASessionIsActivatedOnlyByTheApplicationThatCreatedIt) {
  FakeItemTree tree;
  tree.Add("", "Check Device", VT_BSTR, Variant::Bstr(u"ok"));
  UaServer server(tree, SecuredOptions());
  ASSERT_TRUE(server.Start(nullptr));
  const UaApplicationCertificate& owner = SharedTestCertificate(2048, "urn:test:client");
  const UaApplicationCertificate& other = SharedTestCertificate(2048, "urn:test:other");
  UaTestClient creator;
  creator.SetSecurity(Client(ua_policy::Aes256Sha256RsaPss, UaSecurityMode::SignAndEncrypt, owner,
                             "urn:test:client"));
  ASSERT_TRUE(creator.Connect(server.Port()));
  ASSERT_EQ(creator.CreateSession(), ua_status::Good);

  // The session's token over a None channel, and over a channel of another application whose
  // signature is valid for its own key: both refused.
  UaTestClient plain;
  ASSERT_TRUE(plain.Connect(server.Port()));
  plain.SetAuthenticationToken(creator.AuthenticationToken());
  EXPECT_EQ(plain.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadSecurityChecksFailed);
  UaTestClient stranger;
  stranger.SetSecurity(Client(ua_policy::Aes256Sha256RsaPss, UaSecurityMode::SignAndEncrypt, other,
                              "urn:test:other"));
  ASSERT_TRUE(stranger.Connect(server.Port()));
  stranger.SetAuthenticationToken(creator.AuthenticationToken());
  EXPECT_EQ(stranger.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadSecurityChecksFailed);

  // The same application on a new channel must sign the session's last nonce, which a second
  // client of it that never saw the nonce cannot.
  UaTestClient sameApplication;
  sameApplication.SetSecurity(Client(ua_policy::Aes256Sha256RsaPss, UaSecurityMode::SignAndEncrypt,
                                     owner, "urn:test:client"));
  ASSERT_TRUE(sameApplication.Connect(server.Port()));
  sameApplication.SetAuthenticationToken(creator.AuthenticationToken());
  EXPECT_EQ(sameApplication.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadApplicationSignatureInvalid);

  // An application whose certificate names another application URI gets no session.
  UaTestClient impostor;
  impostor.SetSecurity(
      Client(ua_policy::Basic256Sha256, UaSecurityMode::Sign, owner, "urn:test:impostor"));
  ASSERT_TRUE(impostor.Connect(server.Port()));
  EXPECT_EQ(impostor.CreateSession(), ua_status::BadCertificateUriInvalid);

  EXPECT_EQ(creator.ActivateSession(UaTestClient::AnonymousIdentity()), ua_status::Good);
  auto values = creator.Read({UaNodeId::String(kItemNamespace, "Check Device")});
  ASSERT_TRUE(values.has_value());
  EXPECT_TRUE((*values)[0].value == UaVariant::String("ok"));
}
