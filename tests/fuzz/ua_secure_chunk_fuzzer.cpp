// Fuzzes the secure channel's chunk decoding: the input as the first chunks after Hello (the
// asymmetric OpenSecureChannel path under every offered policy), as chunks on a channel opened
// under SignAndEncrypt (the symmetric path), and straight into the chunk checks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_secure_chunk.h"
#include "toolkit/opcua/ua_server_security.h"
#include "ua_test_certificates.h"
#include "ua_test_messages.h"
#include "ua_test_secure_channel.h"

namespace {
struct NoRequests : UaRequestSink {
  void OnServiceRequest(UaConnection&, std::uint32_t, UaBinaryReader&) override {}
};

struct Fixture {
  Fixture() {
    const UaApplicationCertificate& server = SharedTestCertificate(2048, "urn:fuzz:server");
    const UaApplicationCertificate& client = SharedTestCertificate(2048, "urn:fuzz:client");
    security = UaServerSecurity::Create(TestServerSecurity(server), nullptr);
    clientSecurity = ClientSecurity(ua_policy::Basic256Sha256, UaSecurityMode::SignAndEncrypt,
                                    client, "urn:fuzz:client", DerString(server));
    serverKey = UaRsaKey::FromKey(server.key);
    clientKey = UaRsaKey::FromCertificate(DerString(client));
  }
  std::shared_ptr<const UaServerSecurity> security;
  UaClientSecurity clientSecurity;
  UaRsaKey serverKey;
  UaRsaKey clientKey;
  NoRequests sink;
};

void Feed(UaConnection& c, const std::vector<std::uint8_t>& bytes, NoRequests& sink) {
  c.Receive(bytes.data(), bytes.size(), 0, sink);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture f;
  static const std::vector<std::uint8_t> hello = UaHelloMessage(65535, 65535);

  UaConnection fresh(2, 1, UaConnectionLimits{}, 0, f.security.get());
  Feed(fresh, hello, f.sink);
  fresh.Receive(data, size, 0, f.sink);

  UaConnection open(3, 2, UaConnectionLimits{}, 0, f.security.get());
  UaTestSecureChannel client(f.clientSecurity);
  Feed(open, hello, f.sink);
  open.ConsumeOutgoing(open.OutgoingSize());
  Feed(open, client.OpenRequest(0, 1, 1), f.sink);
  client.AcceptOpenResponse(open.OutgoingData(), open.OutgoingSize());
  open.Receive(data, size, 0, f.sink);
  open.CheckTimeouts(1000000);

  const UaSecurityPolicy& policy = *FindSecurityPolicy(ua_policy::Basic256Sha256);
  UaChannelKeys keys = DeriveChannelKeys(policy, std::string(32, 'c'), std::string(32, 's'));
  for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
    std::vector<std::uint8_t> copy(data, data + size);
    std::size_t end = 0;
    OpenSymmetricChunk(policy, mode, keys.client, copy.data(), copy.size(), &end);
  }
  std::vector<std::uint8_t> plain;
  for (std::size_t securedFrom : {std::size_t{0}, std::size_t{12}, size / 2}) {
    OpenAsymmetricChunk(policy, f.serverKey, f.clientKey, data, size, securedFrom, plain);
  }
  return 0;
}
