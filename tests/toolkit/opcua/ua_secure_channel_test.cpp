// The secure channel of a connection: every policy and mode carries requests and responses,
// tampered or replayed chunks close the channel with the right status, untrusted or unsuitable
// client certificates are refused, and token renewal keeps the old token for a while.
#include <gtest/gtest.h>

#include <memory>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_server_security.h"
#include "ua_test_certificates.h"
#include "ua_test_messages.h"
#include "ua_test_secure_channel.h"

namespace {
struct RecordingSink : UaRequestSink {
  void OnServiceRequest(UaConnection&, std::uint32_t, UaBinaryReader& body) override {
    bodies.emplace_back(body.Current(), body.Current() + body.Remaining());
  }
  std::vector<std::vector<std::uint8_t>> bodies;
};

const UaApplicationCertificate& ServerCertificate() {
  return SharedTestCertificate(2048, "urn:test:server");
}
const UaApplicationCertificate& ClientCertificate() {
  return SharedTestCertificate(2048, "urn:test:client");
}

class UaSecureChannelTest : public ::testing::Test {
 protected:
  UaSecureChannelTest() {
    options = TestServerSecurity(ServerCertificate());
    options.validateClientCertificate = [this](std::span<const std::uint8_t> der) {
      validated.emplace_back(der.begin(), der.end());
      if (validated.back() != untrusted) return UaCertificateCheck{};
      return UaCertificateCheck{ua_status::BadCertificateUntrusted, "not trusted"};
    };
  }

  // A new connection under `options`, acknowledged and ready for OpenSecureChannel.
  void Connect() {
    std::string error;
    security = UaServerSecurity::Create(options, &error);
    ASSERT_TRUE(security) << error;
    connection = std::make_unique<UaConnection>(2, 7, UaConnectionLimits{}, now, security.get());
    ASSERT_TRUE(Feed(UaHelloMessage(8192, 8192)));
    ASSERT_EQ(Output().substr(0, 4), "ACKF");
  }

  UaClientSecurity Client(std::string_view policy, UaSecurityMode mode,
                          const UaApplicationCertificate& certificate = ClientCertificate()) {
    return ClientSecurity(policy, mode, certificate, "urn:test:client",
                          DerString(ServerCertificate()));
  }

  // Opens the channel of `client`; the OPN response's check or the Error message's status.
  UaStatusCode Open(UaTestSecureChannel& client, std::uint32_t lifetimeMs = 10000) {
    Feed(client.OpenRequest(0, ++sequence, 1, lifetimeMs));
    return TakeOpenResponse(client);
  }
  UaStatusCode TakeOpenResponse(UaTestSecureChannel& client) {
    std::string out = Output();
    if (out.substr(0, 4) == "ERRF") return ErrorCode(out);
    EXPECT_EQ(out.substr(0, 4), "OPNF");
    return client.AcceptOpenResponse(reinterpret_cast<const std::uint8_t*>(out.data()), out.size());
  }

  bool Feed(const std::vector<std::uint8_t>& bytes) {
    return connection->Receive(bytes.data(), bytes.size(), now, sink);
  }
  bool Send(UaTestSecureChannel& client, const std::string& body, std::uint32_t token = 0) {
    return Feed(client.Message('F', ++sequence, 3,
                               reinterpret_cast<const std::uint8_t*>(body.data()), body.size(),
                               token));
  }
  std::string Output() {
    std::string out(reinterpret_cast<const char*>(connection->OutgoingData()),
                    connection->OutgoingSize());
    connection->ConsumeOutgoing(connection->OutgoingSize());
    return out;
  }
  static UaStatusCode ErrorCode(const std::string& out) {
    if (out.substr(0, 4) != "ERRF") return ua_status::Good;
    return UaBinaryReader(reinterpret_cast<const std::uint8_t*>(out.data()) + 8, 4).UInt32();
  }
  // The response chunks the server sent, checked and joined by `client`; empty on failure.
  std::string Responses(UaTestSecureChannel& client) {
    std::string out = Output();
    std::string bodies;
    std::size_t pos = 0;
    while (pos + 8 <= out.size()) {
      auto* p = reinterpret_cast<std::uint8_t*>(out.data()) + pos;
      std::size_t size = UaBinaryReader(p + 4, 4).UInt32();
      EXPECT_LE(size, 8192u);
      std::size_t begin = 0, end = 0;
      if (!client.OpenMessage(p, size, &begin, &end)) return {};
      bodies.append(reinterpret_cast<const char*>(p) + begin, end - begin);
      pos += size;
    }
    return bodies;
  }

  UaSecurityOptions options;
  std::shared_ptr<const UaServerSecurity> security;
  std::unique_ptr<UaConnection> connection;
  RecordingSink sink;
  std::vector<std::string> validated;
  std::string untrusted;
  std::uint32_t sequence = 0;
  std::int64_t now = 0;
};
}  // namespace

TEST_F(UaSecureChannelTest, EveryPolicyAndModeCarriesRequestsAndChunkedResponses) {
  for (const UaSecurityPolicy* policy : SecuredPolicies()) {
    for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
      SCOPED_TRACE(std::string(policy->uri) + " mode " + std::to_string(static_cast<int>(mode)));
      Connect();
      sink.bodies.clear();
      UaTestSecureChannel client(Client(policy->uri, mode));
      ASSERT_EQ(Open(client), ua_status::Good);
      EXPECT_EQ(connection->Policy().uri, policy->uri);
      EXPECT_EQ(validated.back(), DerString(ClientCertificate()));
      ASSERT_TRUE(Send(client, "a request body"));
      ASSERT_EQ(sink.bodies.size(), 1u);
      EXPECT_EQ(std::string(sink.bodies[0].begin(), sink.bodies[0].end()), "a request body");
      // A response of about three chunks of 8192 bytes, each secured on its own.
      std::vector<std::uint8_t> response(20000);
      for (std::size_t k = 0; k < response.size(); ++k) response[k] = static_cast<std::uint8_t>(k);
      connection->SendResponse(3, 0, response);
      EXPECT_EQ(Responses(client), std::string(response.begin(), response.end()));
      EXPECT_FALSE(connection->Failed());
    }
  }
}

TEST_F(UaSecureChannelTest, TamperedAndReplayedChunksCloseTheChannel) {
  for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
    SCOPED_TRACE(static_cast<int>(mode));
    UaTestSecureChannel client(Client(ua_policy::Basic256Sha256, mode));
    auto request = [&] {
      std::string body = "read these values please";
      return client.Message('F', ++sequence, 3, reinterpret_cast<const std::uint8_t*>(body.data()),
                            body.size());
    };
    // A bit flipped in the body, in the signature (the chunk's last bytes), and a chunk sent
    // again with its sequence number.
    struct Case {
      const char* what;
      std::size_t offsetFromEnd;  // 0: not tampered, sent twice
      UaStatusCode expected;
    };
    for (Case c : {Case{"body", 40, ua_status::BadSecurityChecksFailed},
                   Case{"signature", 2, ua_status::BadSecurityChecksFailed},
                   Case{"replay", 0, ua_status::BadSequenceNumberInvalid}}) {
      SCOPED_TRACE(c.what);
      Connect();
      sink.bodies.clear();
      client = UaTestSecureChannel(Client(ua_policy::Basic256Sha256, mode));
      ASSERT_EQ(Open(client), ua_status::Good);
      std::vector<std::uint8_t> chunk = request();
      if (c.offsetFromEnd != 0) {
        chunk[chunk.size() - c.offsetFromEnd] ^= 0x04;
        EXPECT_FALSE(Feed(chunk));
      } else {
        ASSERT_TRUE(Feed(chunk));
        EXPECT_FALSE(Feed(chunk));
      }
      EXPECT_TRUE(connection->Failed());
      EXPECT_EQ(ErrorCode(Output()), c.expected);
      EXPECT_EQ(sink.bodies.size(), c.offsetFromEnd == 0 ? 1u : 0u);
    }
  }
}

TEST_F(UaSecureChannelTest, UntrustedUnsuitableOrMisaddressedClientsAreRefused) {
  // A certificate the trust check refuses: its status goes back, after the chunk proved that
  // the client holds the key.
  const UaApplicationCertificate& stranger = SharedTestCertificate(2048, "urn:test:stranger");
  untrusted = DerString(stranger);
  Connect();
  UaTestSecureChannel refused(
      Client(ua_policy::Aes256Sha256RsaPss, UaSecurityMode::SignAndEncrypt, stranger));
  EXPECT_EQ(Open(refused), ua_status::BadSecurityChecksFailed);
  EXPECT_EQ(validated.back(), DerString(stranger));
  EXPECT_TRUE(connection->Failed());

  // A key shorter than every policy allows.
  Connect();
  const UaApplicationCertificate& weak = SharedTestCertificate(1024, "urn:test:weak");
  UaTestSecureChannel short_(Client(ua_policy::Basic256Sha256, UaSecurityMode::Sign, weak));
  EXPECT_EQ(Open(short_), ua_status::BadSecurityChecksFailed);

  // Encrypted for another server's certificate.
  Connect();
  UaClientSecurity other = Client(ua_policy::Basic256Sha256, UaSecurityMode::Sign);
  other.serverCertificate = DerString(stranger);
  UaTestSecureChannel misaddressed(other);
  EXPECT_EQ(Open(misaddressed), ua_status::BadSecurityChecksFailed);

  // Policies and modes that are not offered; None only while it is allowed.
  options.endpoints = {
      {std::string(ua_policy::Aes128Sha256RsaOaep), UaSecurityMode::Sign},
      {std::string(ua_policy::Aes128Sha256RsaOaep), UaSecurityMode::SignAndEncrypt}};
  Connect();
  UaTestSecureChannel notOffered(Client(ua_policy::Basic256Sha256, UaSecurityMode::Sign));
  EXPECT_EQ(Open(notOffered), ua_status::BadSecurityPolicyRejected);
  Connect();
  UaTestSecureChannel none(Client(ua_policy::None, UaSecurityMode::None));
  EXPECT_EQ(Open(none), ua_status::BadSecurityPolicyRejected);
  Connect();
  UaTestSecureChannel modeNone(Client(ua_policy::Aes128Sha256RsaOaep, UaSecurityMode::None));
  EXPECT_EQ(Open(modeNone), ua_status::BadSecurityModeRejected);
  Connect();
  UaTestSecureChannel accepted(Client(ua_policy::Aes128Sha256RsaOaep, UaSecurityMode::Sign));
  EXPECT_EQ(Open(accepted), ua_status::Good);

  // Without a trust check every client certificate is refused.
  options.validateClientCertificate = nullptr;
  Connect();
  UaTestSecureChannel unchecked(Client(ua_policy::Aes128Sha256RsaOaep, UaSecurityMode::Sign));
  EXPECT_EQ(Open(unchecked), ua_status::BadSecurityChecksFailed);
}

TEST_F(UaSecureChannelTest, RenewalKeepsTheOldTokenUntilTheNewOneIsUsedAndThenUntilItExpires) {
  Connect();
  UaTestSecureChannel client(Client(ua_policy::Aes256Sha256RsaPss, UaSecurityMode::SignAndEncrypt));
  ASSERT_EQ(Open(client, 10000), ua_status::Good);
  const std::uint32_t first = client.TokenId();
  now = 7500;
  Feed(client.OpenRequest(1, ++sequence, 2, 10000));
  ASSERT_EQ(TakeOpenResponse(client), ua_status::Good);
  const std::uint32_t second = client.TokenId();
  ASSERT_NE(first, second);

  // Until the client uses the new token, the server answers with the old one.
  ASSERT_TRUE(Send(client, "old", first));
  connection->SendResponse(3, 0, {1, 2, 3});
  EXPECT_EQ(Responses(client), "\x01\x02\x03");
  EXPECT_EQ(client.LastReceivedToken(), first);
  ASSERT_TRUE(Send(client, "new", second));
  connection->SendResponse(3, 0, {4});
  EXPECT_EQ(Responses(client), "\x04");
  EXPECT_EQ(client.LastReceivedToken(), second);
  // The old token still counts until it expires (its lifetime and a quarter), then not.
  now = 12000;
  EXPECT_TRUE(Send(client, "late but in time", first));
  now = 12500;
  EXPECT_TRUE(connection->CheckTimeouts(now));
  EXPECT_FALSE(Send(client, "too late", first));
  EXPECT_EQ(ErrorCode(Output()), ua_status::BadSecureChannelTokenUnknown);
  EXPECT_EQ(sink.bodies.size(), 3u);
}
