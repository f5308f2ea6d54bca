// User login: password hashes, the users file, the encrypted password of a user name token,
// the throttle on failed logins, and the whole of it through the server (anonymous refused,
// wrong credentials, read-only users), plus the endpoint URLs a client is told.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_endpoint_urls.h"
#include "toolkit/opcua/ua_login_throttle.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_requests.h"
#include "toolkit/opcua/ua_server.h"
#include "toolkit/opcua/ua_user_identity.h"
#include "toolkit/opcua/ua_user_store.h"
#include "toolkit/opcua/ua_user_token.h"
#include "ua_test_client.h"
#include "ua_test_user_token.h"

namespace fs = std::filesystem;

namespace {

// Cheap hashes: the tests check behaviour, not cost.
constexpr UaScryptCost kFast{4, 8, 1};

std::string TempFolder() {
  char path[] = "/tmp/zelvox-users-XXXXXX";
  return mkdtemp(path) ? path : "";
}

const UaApplicationCertificate& ServerCertificate() {
  static const UaApplicationCertificate certificate = [] {
    UaCertificateRequest request;
    request.applicationUri = "urn:test:server";
    request.applicationName = "Test Server";
    std::string error;
    return *UaCreateApplicationCertificate(request, &error);
  }();
  return certificate;
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

UaUserNameToken Token(std::string secret, std::string_view algorithm) {
  return {"username", "alice", std::move(secret), std::string(algorithm)};
}

}  // namespace

TEST(UaPasswordHash, IsSaltedAndVerifiesOnlyTheSamePassword) {
  std::string hash = UaHashPassword("correct horse", kFast);
  ASSERT_TRUE(hash.starts_with("$scrypt$ln=4,r=8,p=1$")) << hash;
  EXPECT_TRUE(UaVerifyPassword("correct horse", hash));
  EXPECT_FALSE(UaVerifyPassword("correct hors", hash));
  EXPECT_FALSE(UaVerifyPassword("", hash));
  EXPECT_NE(UaHashPassword("correct horse", kFast), hash) << "a fresh salt each time";
  EXPECT_TRUE(UaVerifyPassword("", UaHashPassword("", kFast)));
  // Damaged or hostile stored hashes never verify, and never stall.
  std::string noPrefix = hash.substr(1);
  EXPECT_FALSE(UaVerifyPassword("correct horse", noPrefix));
  std::string badHex = hash;
  badHex.back() = 'x';
  EXPECT_FALSE(UaVerifyPassword("correct horse", badHex));
  EXPECT_FALSE(UaVerifyPassword("correct horse", "$scrypt$ln=40,r=8,p=1$00$00"));
  EXPECT_FALSE(UaVerifyPassword("correct horse", "$scrypt$ln=4,r=8,p=1$"));
  EXPECT_FALSE(UaVerifyPassword("correct horse", "$scrypt$ln=4,r=8,p=1,x=2$00$00"));
}

TEST(UaUserStore, KeepsUsersInAnOwnerOnlyFileAndAuthenticatesThem) {
  std::string folder = TempFolder();
  std::string path = folder + "/users";
  UaUserStore store(path, kFast);
  std::string error;
  ASSERT_TRUE(store.Load(&error)) << "no file: no users, no error";
  EXPECT_TRUE(store.Users().empty());
  ASSERT_TRUE(store.Add("alice", "secret", false, &error)) << error;
  ASSERT_TRUE(store.Add("bob", "hunter2", true, &error)) << error;
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0077, 0u);
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text.find("secret"), std::string::npos) << "no password in clear";
  EXPECT_NE(text.find("bob:ro:$scrypt$"), std::string::npos) << text;

  // Another instance (the server) reads what the tool wrote, and follows later changes.
  UaUserStore server(path, kFast);
  auto alice = server.Authenticate("alice", "secret");
  ASSERT_TRUE(alice);
  EXPECT_FALSE(alice->readOnly);
  auto bob = server.Authenticate("bob", "hunter2");
  ASSERT_TRUE(bob);
  EXPECT_TRUE(bob->readOnly);
  EXPECT_FALSE(server.Authenticate("alice", "hunter2"));
  EXPECT_FALSE(server.Authenticate("carol", "secret"));
  EXPECT_FALSE(server.Authenticate("Alice", "secret")) << "names are compared exactly";

  // Added again: a new password and access, still one entry.
  ASSERT_TRUE(store.Add("alice", "changed", true, &error)) << error;
  ASSERT_EQ(store.Users().size(), 2u);
  // The file's time may not have moved within its resolution: make the change visible.
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
  EXPECT_FALSE(server.Authenticate("alice", "secret"));
  ASSERT_TRUE(server.Authenticate("alice", "changed"));
  EXPECT_TRUE(server.Authenticate("alice", "changed")->readOnly);
  ASSERT_TRUE(store.Remove("bob", &error)) << error;
  EXPECT_FALSE(store.Remove("bob", &error));
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(4));
  EXPECT_FALSE(server.Authenticate("bob", "hunter2"));

  for (const char* bad : {"", "a:b", "tab\there", "new\nline"}) {
    EXPECT_FALSE(store.Add(bad, "x", false, &error)) << bad;
  }
  EXPECT_FALSE(store.Add(std::string(257, 'n'), "x", false, &error));
  EXPECT_TRUE(store.Add("Jörg Müller", "pässwörd", false, &error)) << error;

  // A damaged file is reported with its line, and lets nobody in.
  std::ofstream(path, std::ios::app) << "mallory:admin:$scrypt$\n";
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(6));
  EXPECT_FALSE(store.Load(&error));
  EXPECT_NE(error.find(":4:"), std::string::npos) << error;
  EXPECT_FALSE(server.Authenticate("alice", "changed"));
  fs::remove_all(folder);
}

TEST(UaUserToken, PasswordsDecryptOnlyWithTheServersKeyAndNonce) {
  const UaApplicationCertificate& server = ServerCertificate();
  UaPkey publicKey =
      PublicKeyOf({reinterpret_cast<const char*>(server.der.data()), server.der.size()});
  std::string nonce(32, '\x5a');
  using namespace ua_user_token_encryption;
  for (auto [algorithm, digest] :
       {std::pair{RsaOaep, EVP_sha1()}, std::pair{RsaOaepSha256, EVP_sha256()}}) {
    SCOPED_TRACE(std::string(algorithm));
    auto decrypt = [&](const std::string& secret, std::string_view nonceGiven) {
      return UaDecryptUserPassword(Token(secret, algorithm), algorithm, server.key.get(),
                                   Bytes(std::string(nonceGiven)));
    };
    std::string secret = EncryptTestPassword("s3cret", nonce, publicKey.get(), digest);
    EXPECT_EQ(decrypt(secret, nonce), "s3cret");
    // Longer than one RSA block.
    std::string longPassword(400, 'p');
    EXPECT_EQ(decrypt(EncryptTestPassword(longPassword, nonce, publicKey.get(), digest), nonce),
              longPassword);
    EXPECT_EQ(decrypt(EncryptTestPassword("", nonce, publicKey.get(), digest), nonce), "");
    // Replayed with another session's nonce.
    EXPECT_FALSE(decrypt(secret, std::string(32, '\x11')));
    // Altered on the way, cut short, or with a length that does not fit.
    std::string flipped = secret;
    flipped[10] ^= 1;
    EXPECT_FALSE(decrypt(flipped, nonce));
    EXPECT_FALSE(decrypt(secret.substr(0, secret.size() - 1), nonce));
    EXPECT_FALSE(decrypt("", nonce));
    EXPECT_FALSE(decrypt(EncryptTestPassword("s3cret", nonce, publicKey.get(), digest, 5), nonce));
    EXPECT_FALSE(
        decrypt(EncryptTestPassword("s3cret", nonce, publicKey.get(), digest, 0xFFFFFFFF), nonce));
  }
  // The token must name the algorithm its policy prescribes.
  std::string sha1Secret = EncryptTestPassword("s3cret", nonce, publicKey.get(), EVP_sha1());
  EXPECT_FALSE(UaDecryptUserPassword(Token(sha1Secret, RsaOaep), RsaOaepSha256, server.key.get(),
                                     Bytes(nonce)));
  EXPECT_FALSE(UaDecryptUserPassword(Token("s3cret", ""), RsaOaep, server.key.get(), Bytes(nonce)))
      << "a password in clear is refused";
  // Another key (another server's certificate) cannot decrypt it.
  UaCertificateRequest other;
  other.applicationUri = "urn:other";
  other.applicationName = "Other";
  std::string error;
  auto otherServer = UaCreateApplicationCertificate(other, &error);
  ASSERT_TRUE(otherServer) << error;
  EXPECT_FALSE(UaDecryptUserPassword(Token(sha1Secret, RsaOaep), RsaOaep, otherServer->key.get(),
                                     Bytes(nonce)));
  EXPECT_EQ(UaUserTokenEncryptionOf(ua_policy::Basic256Sha256), RsaOaep);
  EXPECT_EQ(UaUserTokenEncryptionOf(ua_policy::Aes128Sha256RsaOaep), RsaOaep);
  EXPECT_EQ(UaUserTokenEncryptionOf(ua_policy::Aes256Sha256RsaPss), RsaOaepSha256);
  EXPECT_EQ(UaUserTokenEncryptionOf(ua_policy::None), "");
  EXPECT_FALSE(UaDecodeUserNameToken("\x01\x00"));
}

TEST(UaLoginThrottle, BlocksAnAddressForADoublingTimeAfterRepeatedFailures) {
  UaLoginThrottle throttle;
  std::int64_t now = 1000000;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(throttle.Allowed("192.0.2.1", now));
    throttle.Failed("192.0.2.1", now);
  }
  EXPECT_TRUE(throttle.Allowed("192.0.2.1", now)) << "three failures are free";
  throttle.Failed("192.0.2.1", now);
  EXPECT_FALSE(throttle.Allowed("192.0.2.1", now));
  EXPECT_FALSE(throttle.Allowed("192.0.2.1", now + 999));
  EXPECT_TRUE(throttle.Allowed("192.0.2.2", now)) << "other addresses are not affected";
  EXPECT_TRUE(throttle.Allowed("192.0.2.1", now + 1000));
  throttle.Failed("192.0.2.1", now + 1000);
  EXPECT_FALSE(throttle.Allowed("192.0.2.1", now + 2999));
  EXPECT_TRUE(throttle.Allowed("192.0.2.1", now + 3000));
  for (int i = 0; i < 20; ++i) throttle.Failed("192.0.2.1", now + 3000);
  EXPECT_FALSE(throttle.Allowed("192.0.2.1", now + 3000 + 59999)) << "at most a minute";
  EXPECT_TRUE(throttle.Allowed("192.0.2.1", now + 3000 + 60000));
  // Quiet for long enough: the count starts again.
  throttle.Failed("192.0.2.1", now + 3000 + 60000);
  EXPECT_FALSE(throttle.Allowed("192.0.2.1", now + 3000 + 60001));
  EXPECT_TRUE(throttle.Allowed("192.0.2.1", now + 3000 + 60000 + 15 * 60000));
  // A success clears the address.
  for (int i = 0; i < 5; ++i) throttle.Failed("192.0.2.3", now);
  throttle.Succeeded("192.0.2.3");
  EXPECT_TRUE(throttle.Allowed("192.0.2.3", now));
  // The table stays bounded: the address that failed longest ago makes room.
  UaLoginThrottle small({3, 1000, 60000, 900000, 4});
  for (int i = 0; i < 10; ++i) {
    for (int k = 0; k < 4; ++k) small.Failed("10.0.0." + std::to_string(i), now + i);
  }
  EXPECT_FALSE(small.Allowed("10.0.0.9", now + 10));
  EXPECT_FALSE(small.Allowed("10.0.0.6", now + 10));
  EXPECT_TRUE(small.Allowed("10.0.0.5", now + 10));
}

TEST(UaEndpointUrls, AdvertiseTheClientsHostOnlyWhereTheServerListens) {
  UaEndpointUrls loopback("opc.tcp://127.0.0.1:4841", 4841, false, {});
  EXPECT_EQ(loopback.For("opc.tcp://localhost:4841"), "opc.tcp://localhost:4841");
  EXPECT_EQ(loopback.For("OPC.TCP://LocalHost:4841/path"), "opc.tcp://LocalHost:4841");
  EXPECT_EQ(loopback.For("opc.tcp://127.0.0.1:9999"), "opc.tcp://127.0.0.1:4841")
      << "the port is the server's own";
  EXPECT_EQ(loopback.For("opc.tcp://127.0.0.2:4841"), "opc.tcp://127.0.0.1:4841");
  EXPECT_EQ(loopback.For("opc.tcp://myhost:4841"), "opc.tcp://127.0.0.1:4841");
  EXPECT_EQ(loopback.For("opc.tcp://192.0.2.5:4841"), "opc.tcp://127.0.0.1:4841");
  EXPECT_EQ(loopback.For(""), "opc.tcp://127.0.0.1:4841");

  UaEndpointUrls any("opc.tcp://server1:4840", 4840, true, {"127.0.0.1", "192.0.2.5"});
  EXPECT_EQ(any.For("opc.tcp://server1.example.net:4840"), "opc.tcp://server1.example.net:4840");
  EXPECT_EQ(any.For("opc.tcp://192.0.2.5:4840"), "opc.tcp://192.0.2.5:4840");
  EXPECT_EQ(any.For("opc.tcp://127.0.0.2"), "opc.tcp://127.0.0.2:4840");
  EXPECT_EQ(any.For("opc.tcp://198.51.100.9:4840"), "opc.tcp://server1:4840")
      << "an address of another machine";
  for (const char* bad : {"http://server1:4840", "opc.tcp://", "opc.tcp://bad host:4840",
                          "opc.tcp://-x:4840", "opc.tcp://a\"b:4840", "opc.tcp://[::1]:4840"}) {
    EXPECT_EQ(any.For(bad), "opc.tcp://server1:4840") << bad;
  }
  EXPECT_EQ(any.For("opc.tcp://" + std::string(300, 'a')), "opc.tcp://server1:4840");
}

namespace {

class UaLoginServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = TempFolder();
    tree.Add("Heating.Valves", "2/0/1", VT_UI1, Variant::UI1(5), "Valve");
    auto users = std::make_shared<UaUserStore>(m_folder + "/users", kFast);
    std::string error;
    ASSERT_TRUE(users->Add("operator", "op-pass", false, &error)) << error;
    ASSERT_TRUE(users->Add("viewer", "view-pass", true, &error)) << error;
    options.port = 0;
    options.security.certificate = std::make_shared<UaApplicationCertificate>(ServerCertificate());
    options.security.users = users;
  }
  void TearDown() override {
    if (server) server->Stop();
    fs::remove_all(m_folder);
  }

  void Start() {
    server = std::make_unique<UaServer>(tree, options);
    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;
  }

  // Connects, creates a session and activates it as `user`; the activation's status.
  UaStatusCode Login(UaTestClient& client, const std::string& user, const std::string& password) {
    if (!client.Connect(server->Port()) || client.CreateSession() != ua_status::Good) {
      return ua_status::Bad;
    }
    UaPkey key = PublicKeyOf(client.ServerCertificate());
    std::string secret = EncryptTestPassword(password, client.ServerNonce(), key.get(), EVP_sha1());
    return client.ActivateSession(UaTestClient::UserNameIdentity(
        "username", user, secret, std::string(ua_user_token_encryption::RsaOaep)));
  }

  static UaStatusCode WriteValue(UaTestClient& client) {
    return client.WriteValue("Heating.Valves.2/0/1", UaVariant::Byte(7));
  }

  static std::uint64_t AccessOf(UaTestClient& client, std::uint32_t attribute) {
    std::vector<std::uint8_t> body, response;
    UaBinaryWriter w(body);
    w.Double(0);
    w.UInt32(0);
    w.ArrayLength(1);
    w.NodeId(UaNodeId::String(kItemNamespace, "Heating.Valves.2/0/1"));
    w.UInt32(attribute);
    w.NullString();
    w.QualifiedName({});
    if (client.Call(ua_id::ReadRequest, body, response) != ua_id::ReadResponse) return 0xFFFF;
    UaBinaryReader r(response.data(), response.size());
    r.ArrayLength(1);
    return r.DataValue().value.u;
  }

  FakeItemTree tree;
  UaServerOptions options;
  std::unique_ptr<UaServer> server;
  std::string m_folder;
};

}  // namespace

TEST_F(UaLoginServerTest, UsersLogInWithEncryptedPasswordsAndReadOnlyUsersCannotWrite) {
  options.security.allowAnonymous = false;
  Start();
  UaTestClient anonymous;
  ASSERT_TRUE(anonymous.Connect(server->Port()));
  ASSERT_EQ(anonymous.CreateSession(), ua_status::Good);
  EXPECT_EQ(anonymous.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadIdentityTokenInvalid);
  EXPECT_EQ(anonymous.ActivateSession(UaExtensionObject{}), ua_status::BadIdentityTokenInvalid);

  // A wrong password and an unknown user get the same answer.
  UaTestClient wrong;
  EXPECT_EQ(Login(wrong, "operator", "guess"), ua_status::BadUserAccessDenied);
  UaTestClient unknown;
  EXPECT_EQ(Login(unknown, "nobody", "op-pass"), ua_status::BadUserAccessDenied);

  UaTestClient writer;
  ASSERT_EQ(Login(writer, "operator", "op-pass"), ua_status::Good);
  EXPECT_EQ(WriteValue(writer), ua_status::Good);
  EXPECT_EQ(AccessOf(writer, ua_attr::UserAccessLevel), 3u);

  UaTestClient viewer;
  ASSERT_EQ(Login(viewer, "viewer", "view-pass"), ua_status::Good);
  tree.writes.clear();
  EXPECT_EQ(WriteValue(viewer), ua_status::BadUserAccessDenied);
  EXPECT_TRUE(tree.writes.empty());
  EXPECT_EQ(AccessOf(viewer, ua_attr::UserAccessLevel), 1u);
  EXPECT_EQ(AccessOf(viewer, ua_attr::AccessLevel), 3u) << "the variable itself is writable";
  EXPECT_EQ(AccessOf(viewer, ua_attr::UserWriteMask), 0u);

  // A password encrypted for an earlier nonce (a replayed token) is refused.
  UaTestClient replay;
  ASSERT_TRUE(replay.Connect(server->Port()));
  ASSERT_EQ(replay.CreateSession(), ua_status::Good);
  UaPkey key = PublicKeyOf(replay.ServerCertificate());
  std::string stale = EncryptTestPassword("op-pass", std::string(32, 'x'), key.get(), EVP_sha1());
  EXPECT_EQ(replay.ActivateSession(UaTestClient::UserNameIdentity(
                "username", "operator", stale, std::string(ua_user_token_encryption::RsaOaep))),
            ua_status::BadIdentityTokenInvalid);
}

TEST_F(UaLoginServerTest, RepeatedFailuresFromOneAddressAreRefusedForAWhile) {
  std::atomic<std::int64_t> clockMs{5000000};
  options.clock = [&] { return clockMs.load(); };
  Start();
  for (int i = 0; i < 4; ++i) {
    UaTestClient guess;
    EXPECT_EQ(Login(guess, "operator", "guess" + std::to_string(i)),
              ua_status::BadUserAccessDenied);
  }
  UaTestClient right;
  EXPECT_EQ(Login(right, "operator", "op-pass"), ua_status::BadUserAccessDenied)
      << "blocked, whatever the password";
  clockMs += 1000;
  UaTestClient later;
  EXPECT_EQ(Login(later, "operator", "op-pass"), ua_status::Good);
}

TEST_F(UaLoginServerTest, EndpointsOfferTheLoginsThatAreAllowed) {
  auto userTokenTypes = [&](std::vector<std::string>* policies) {
    UaTestClient client;
    std::vector<std::uint8_t> body, response;
    UaBinaryWriter w(body);
    w.String("opc.tcp://localhost:" + std::to_string(server->Port()));
    w.ArrayLength(0);
    w.ArrayLength(0);
    std::vector<std::uint32_t> types;
    if (!client.Connect(server->Port()) ||
        client.Call(ua_id::GetEndpointsRequest, body, response) != ua_id::GetEndpointsResponse) {
      return types;
    }
    UaBinaryReader r(response.data(), response.size());
    EXPECT_EQ(r.ArrayLength(10), 1u);
    EXPECT_EQ(r.String(), "opc.tcp://localhost:" + std::to_string(server->Port()));
    std::string applicationUri;
    ReadApplicationDescription(r, applicationUri);
    EXPECT_FALSE(r.ByteString().empty()) << "the certificate, for the password's encryption";
    EXPECT_EQ(r.UInt32(), 1u);
    EXPECT_EQ(r.String(), ua_policy::None);
    for (std::uint32_t n = r.ArrayLength(10); n > 0; --n) {
      r.String();
      types.push_back(r.UInt32());
      r.String();
      r.String();
      policies->push_back(r.String());
    }
    return types;
  };
  Start();
  std::vector<std::string> policies;
  EXPECT_EQ(userTokenTypes(&policies), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(policies, (std::vector<std::string>{"", std::string(ua_policy::Basic256Sha256)}));
  server->Stop();
  options.security.allowAnonymous = false;
  Start();
  policies.clear();
  EXPECT_EQ(userTokenTypes(&policies), (std::vector<std::uint32_t>{1}));
}
