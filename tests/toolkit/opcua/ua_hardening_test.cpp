// Hostile and careless clients over raw UA-TCP on loopback: message limits, requests before a
// session, session and connection slots, limits on paths and strings, identity tokens.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>

#include "fake_item_tree.h"
#include "platform/log.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server.h"
#include "ua_test_client.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

std::uint32_t ErrorCode(const std::string& answer) {
  if (answer.size() < 12 || answer.substr(0, 4) != "ERRF") return 0;
  UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(answer.data()) + 8, answer.size() - 8);
  return r.UInt32();
}

// Lets Info messages through to the sink a test installed, for the test's duration.
struct LogCapture {
  LogCapture() { SetLogLevel(LogLevel::Info); }
  ~LogCapture() {
    SetLogSink({});
    SetLogLevel(LogLevel::Notice);
  }
};

class UaHardeningTest : public ::testing::Test {
 protected:
  UaHardeningTest() {
    tree.Add("Heating.Valves", "2/0/1", VT_UI1, Variant::UI1(5), "Valve");
    tree.Add("Heating", "1/0/1", VT_R4, Variant::R4(1.5f), "Setpoint");
    tree.Add("Heating", "1/0/2", VT_BOOL, Variant::Bool(false), "Pump");
    options.port = 0;
    options.clock = [this] { return clockMs.load(); };
  }

  void Start() {
    server = std::make_unique<UaServer>(tree, options);
    ASSERT_TRUE(server->Start(nullptr));
  }

  void Advance(std::int64_t ms) {
    clockMs += ms;
    server->Wake();
  }

  // The status of the value read, or of the fault that answered the Read.
  static UaStatusCode ReadStatus(UaTestClient& client, const UaNodeId& node) {
    Bytes response;
    UaStatusCode fault = ua_status::Good;
    if (client.Call(ua_id::ReadRequest, UaTestClient::ReadRequestBody({node}, 0), response,
                    &fault) != ua_id::ReadResponse) {
      return fault == ua_status::Good ? ua_status::Bad : fault;
    }
    UaBinaryReader r(response.data(), response.size());
    r.ArrayLength(1);
    return r.DataValue().status;
  }

  static UaStatusCode WriteValue(UaTestClient& client, const std::string& item, UaVariant value) {
    return client.WriteValue(item, std::move(value));
  }

  FakeItemTree tree;
  std::atomic<std::int64_t> clockMs{1000000};
  UaServerOptions options;
  std::unique_ptr<UaServer> server;
};
}  // namespace

TEST_F(UaHardeningTest, AMessageLimitBelowOneBufferStillGetsAnswers) {
  Start();
  // A limit of 20 bytes cannot hold any response, not even a fault: it is raised to a buffer.
  UaTestClient tiny;
  ASSERT_TRUE(tiny.Connect(server->Port(), 20));
  ASSERT_TRUE(tiny.OpenSession());
  EXPECT_EQ(ReadStatus(tiny, UaNodeId::String(kItemNamespace, "Heating.Valves.2/0/1")),
            ua_status::Good);
}

TEST_F(UaHardeningTest, RequestsAreCheckedForASessionBeforeTheirBodyAndDecodedWhole) {
  Start();
  UaTestClient sessionless;
  ASSERT_TRUE(sessionless.Connect(server->Port()));
  // A Write announcing a huge Boolean array: refused for want of a session, not decoded.
  Bytes body, response;
  UaBinaryWriter w(body);
  w.ArrayLength(1);
  w.NodeId(UaNodeId::String(kItemNamespace, "Heating.1/0/2"));
  w.UInt32(ua_attr::Value);
  w.NullString();
  w.Byte(0x01);
  w.Byte(0x81);
  w.Int32(1000000);  // elements that never follow
  UaStatusCode result = 0;
  sessionless.Call(ua_id::WriteRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadSessionIdInvalid);

  UaTestClient client;
  ASSERT_TRUE(client.Connect(server->Port()) && client.OpenSession());
  // With a session, bytes after the request's last field are refused.
  body = UaTestClient::ReadRequestBody({UaNodeId::String(kItemNamespace, "Heating.1/0/1")}, 0);
  body.push_back(0);
  client.Call(ua_id::ReadRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadDecodingError);
  // More operations than the limit are refused before they are decoded.
  body.clear();
  w.Double(0);
  w.UInt32(0);
  w.Int32(static_cast<std::int32_t>(options.maxNodesPerRequest + 1));
  body.resize(body.size() + 16 * (options.maxNodesPerRequest + 1), 0);
  client.Call(ua_id::ReadRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadTooManyOperations);
  // A string longer than the advertised limit is refused.
  body.clear();
  w.ArrayLength(1);
  w.NodeId(UaNodeId::String(kItemNamespace, std::string(options.maxStringLength + 1, 'a')));
  w.UInt32(ua_attr::Value);
  w.NullString();
  w.QualifiedName({});
  client.Call(ua_id::RegisterNodesRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadEncodingLimitsExceeded);
  EXPECT_EQ(ReadStatus(client, UaNodeId::String(kItemNamespace, "Heating.1/0/1")), ua_status::Good);
}

TEST_F(UaHardeningTest, TriggeringTransferAndCallAreCheckedAndDecodedLikeTheRest) {
  Start();
  Bytes triggering, transfer, call, response;
  UaBinaryWriter t(triggering);
  t.UInt32(1);  // subscription
  t.UInt32(1);  // triggering item
  t.ArrayLength(1);
  t.UInt32(2);
  t.ArrayLength(0);
  UaBinaryWriter x(transfer);
  x.ArrayLength(1);
  x.UInt32(1);
  x.Boolean(true);
  UaBinaryWriter c(call);
  c.ArrayLength(1);
  c.NodeId(UaNodeId::Numeric(0, ua_id::Server));
  c.NodeId(UaNodeId::Numeric(0, ua_id::GetMonitoredItems));
  c.ArrayLength(1);
  c.Variant(UaVariant::UInt32(1));
  const std::pair<std::uint32_t, Bytes*> requests[] = {
      {ua_id::SetTriggeringRequest, &triggering},
      {ua_id::TransferSubscriptionsRequest, &transfer},
      {ua_id::CallRequest, &call}};

  UaTestClient sessionless;
  ASSERT_TRUE(sessionless.Connect(server->Port()));
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server->Port()) && client.OpenSession());
  for (const auto& [type, body] : requests) {
    SCOPED_TRACE(type);
    UaStatusCode result = 0;
    sessionless.Call(type, *body, response, &result);
    EXPECT_EQ(result, ua_status::BadSessionIdInvalid);
    Bytes trailing = *body;
    trailing.push_back(0);
    result = 0;
    client.Call(type, trailing, response, &result);
    EXPECT_EQ(result, ua_status::BadDecodingError);
  }
  // More operations than the limit, and an argument list beyond the array limit, are refused
  // before they are decoded.
  Bytes body;
  UaBinaryWriter w(body);
  w.Int32(static_cast<std::int32_t>(options.maxNodesPerRequest + 1));
  body.resize(body.size() + 4 * (options.maxNodesPerRequest + 1), 0);
  w.Boolean(false);
  UaStatusCode result = 0;
  client.Call(ua_id::TransferSubscriptionsRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadTooManyOperations);
  body.clear();
  w.ArrayLength(1);
  w.NodeId(UaNodeId::Numeric(0, ua_id::Server));
  w.NodeId(UaNodeId::Numeric(0, ua_id::ResendData));
  w.Int32(static_cast<std::int32_t>(options.maxArrayLength + 1));
  body.resize(body.size() + options.maxArrayLength + 1, 0);
  client.Call(ua_id::CallRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadEncodingLimitsExceeded);
  // A well-formed request on an unknown subscription gets its ordinary answer.
  result = 0;
  EXPECT_NE(client.Call(ua_id::SetTriggeringRequest, triggering, response, &result),
            ua_id::SetTriggeringResponse);
  EXPECT_EQ(result, ua_status::BadSubscriptionIdInvalid);
}

TEST_F(UaHardeningTest, UnactivatedSessionsGiveWayAndEndSoon) {
  options.maxSessions = 2;
  options.unactivatedConnectionTimeoutMs = 600000;  // the sessions' limit is tested here
  std::mutex logMutex;
  std::string longestName;
  SetLogSink([&](LogLevel, std::string_view text) {
    std::lock_guard lock(logMutex);
    if (text.find("\" created for") == std::string_view::npos) return;
    std::string_view name = text.substr(text.find('"') + 1);
    name = name.substr(0, name.find('"'));
    if (name.size() > longestName.size()) longestName = name;
  });
  LogCapture capture;
  Start();
  UaTestClient first, second, third;
  ASSERT_TRUE(first.Connect(server->Port()) && second.Connect(server->Port()) &&
              third.Connect(server->Port()));
  ASSERT_EQ(first.CreateSession("first"), ua_status::Good);
  Advance(1);
  ASSERT_EQ(second.CreateSession(std::string(5000, 'n')), ua_status::Good);
  // The table is full of sessions never activated: the oldest gives its slot.
  ASSERT_EQ(third.CreateSession("third"), ua_status::Good);
  EXPECT_EQ(first.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadSessionIdInvalid);
  EXPECT_EQ(third.ActivateSession(UaTestClient::AnonymousIdentity()), ua_status::Good);
  // An unactivated session ends after a short time, whatever time-out its client asked for.
  Advance(options.unactivatedSessionTimeoutMs);
  EXPECT_EQ(second.ActivateSession(UaTestClient::AnonymousIdentity()),
            ua_status::BadSessionIdInvalid);
  // Activated sessions keep their slots.
  ASSERT_EQ(first.CreateSession("again"), ua_status::Good);
  EXPECT_EQ(first.ActivateSession(UaTestClient::AnonymousIdentity()), ua_status::Good);
  EXPECT_EQ(second.CreateSession("late"), ua_status::BadTooManySessions);
  server->Stop();
  // A client's session name is kept to a bounded length.
  EXPECT_EQ(longestName, std::string(options.maxSessionNameLength, 'n'));
}

TEST_F(UaHardeningTest, ConnectionSlotsAreNotHeldByIdleOrSilentClients) {
  options.maxConnections = 2;
  std::mutex logMutex;
  std::vector<std::string> log;
  SetLogSink([&](LogLevel, std::string_view text) {
    std::lock_guard lock(logMutex);
    log.emplace_back(text);
  });
  LogCapture capture;
  Start();
  UaTestClient active, idle;
  ASSERT_TRUE(active.Connect(server->Port()) && active.OpenSession());
  ASSERT_TRUE(idle.Connect(server->Port()));
  // Both slots taken, the idle one not yet long enough: the newcomer hears why it is refused.
  UaTestClient refused;
  ASSERT_TRUE(refused.ConnectTcp(server->Port()));
  EXPECT_EQ(ErrorCode(refused.SendRawAndReadUntilClosed({})), ua_status::BadTcpServerTooBusy);
  // After a while the connection without a session gives its slot to a new client.
  Advance(3000);
  UaTestClient newcomer;
  ASSERT_TRUE(newcomer.Connect(server->Port()));
  EXPECT_EQ(ErrorCode(idle.SendRawAndReadUntilClosed({})), ua_status::BadTcpServerTooBusy);
  // A connection that never activates a session is closed after a short time.
  Advance(options.unactivatedConnectionTimeoutMs);
  EXPECT_EQ(ErrorCode(newcomer.SendRawAndReadUntilClosed({})), ua_status::BadTimeout);
  EXPECT_EQ(ReadStatus(active, UaNodeId::String(kItemNamespace, "Heating.1/0/1")), ua_status::Good);
}

TEST_F(UaHardeningTest, ServerWideBufferBudgetClosesTheLargestHolder) {
  options.maxBufferedBytes = 200000;
  Start();
  UaTestClient hoarder;
  ASSERT_TRUE(hoarder.Connect(server->Port()));
  // Unfinished chunks of one request pile up beyond the budget.
  std::vector<std::uint8_t> chunk;
  for (std::uint32_t k = 0; k < 5; ++k) {
    chunk.clear();
    UaBinaryWriter w(chunk);
    w.Raw("MSGC", 4);
    w.UInt32(0);
    w.UInt32(1);      // channel
    w.UInt32(1);      // token
    w.UInt32(2 + k);  // sequence number
    w.UInt32(77);     // request id
    chunk.resize(60000, 0);
    w.PatchUInt32(4, static_cast<std::uint32_t>(chunk.size()));
    // The server may already have closed the connection once the budget was exceeded.
    if (!hoarder.SendRaw(chunk)) break;
  }
  EXPECT_EQ(ErrorCode(hoarder.SendRawAndReadUntilClosed({})), ua_status::BadTcpNotEnoughResources);
}

TEST_F(UaHardeningTest, PathsAndBrowsingAreLimitedAndTheLimitsAdvertised) {
  Start();
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server->Port()) && client.OpenSession());
  Bytes body, response;
  UaBinaryWriter w(body);
  w.ArrayLength(1);
  w.NodeId(UaNodeId::Numeric(0, ua_id::ObjectsFolder));
  w.ArrayLength(options.maxBrowsePathElements + 1);
  for (std::uint32_t k = 0; k <= options.maxBrowsePathElements; ++k) {
    w.NodeId(UaNodeId::Numeric(0, ua_id::HierarchicalReferences));
    w.Boolean(false);
    w.Boolean(true);
    w.QualifiedName({1, "Project"});
  }
  ASSERT_EQ(client.Call(ua_id::TranslateBrowsePathsRequest, body, response),
            ua_id::TranslateBrowsePathsResponse);
  UaBinaryReader r(response.data(), response.size());
  r.ArrayLength(1);
  EXPECT_EQ(r.UInt32(), ua_status::BadTooManyOperations);

  auto values = client.Read({UaNodeId::Numeric(0, ua_id::MaxArrayLength),
                             UaNodeId::Numeric(0, ua_id::MaxStringLength),
                             UaNodeId::Numeric(0, ua_id::MaxNodesPerRegisterNodes)});
  ASSERT_TRUE(values.has_value());
  EXPECT_TRUE((*values)[0].value == UaVariant::UInt32(options.maxArrayLength));
  EXPECT_TRUE((*values)[1].value == UaVariant::UInt32(options.maxStringLength));
  EXPECT_TRUE((*values)[2].value == UaVariant::UInt32(options.maxNodesPerRequest));
}

TEST_F(UaHardeningTest, IdentityTokensMustMatchTheirPolicy) {
  Start();
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server->Port()));
  ASSERT_EQ(client.CreateSession(), ua_status::Good);
  // A user-name token without a body is no anonymous login.
  UaExtensionObject emptyUserName;
  emptyUserName.typeId = UaNodeId::Numeric(0, 324);
  EXPECT_EQ(client.ActivateSession(emptyUserName), ua_status::BadIdentityTokenInvalid);
  EXPECT_EQ(client.ActivateSession(UaTestClient::AnonymousIdentity("username")),
            ua_status::BadIdentityTokenInvalid);
  EXPECT_EQ(client.ActivateSession(UaExtensionObject{}), ua_status::Good);

  // The same anonymous identity may move the session to a new channel.
  UaTestClient moved;
  ASSERT_TRUE(moved.Connect(server->Port()));
  moved.SetAuthenticationToken(client.AuthenticationToken());
  EXPECT_EQ(moved.ActivateSession(UaTestClient::AnonymousIdentity()), ua_status::Good);
  EXPECT_EQ(ReadStatus(client, UaNodeId::String(kItemNamespace, "Heating.1/0/1")),
            ua_status::BadSecureChannelIdInvalid);
}

TEST_F(UaHardeningTest, AliasedNodeIdsAndValuesTheItemCannotHoldAreRefused) {
  Start();
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server->Port()) && client.OpenSession());
  using std::string_literals::operator""s;
  for (const std::string& id : {"Heating.1/0/1\0x"s, "Heating."s, "Heating.Valves."s,
                                ".Heating.1/0/1"s, "Heating..1/0/1"s}) {
    EXPECT_EQ(ReadStatus(client, UaNodeId::String(kItemNamespace, id)), ua_status::BadNodeIdUnknown)
        << id;
  }
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(WriteValue(client, "Heating.1/0/1", UaVariant::Double(std::nan(""))),
            ua_status::BadOutOfRange);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/1", UaVariant::Double(-inf)), ua_status::BadOutOfRange);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/1", UaVariant::Double(1e300)),
            ua_status::BadOutOfRange);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/2", UaVariant::Int32(5)), ua_status::BadOutOfRange);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/2", UaVariant::Double(std::nan(""))),
            ua_status::BadOutOfRange);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/1", UaVariant::Double(21.5)), ua_status::Good);
  EXPECT_EQ(WriteValue(client, "Heating.1/0/2", UaVariant::Int32(1)), ua_status::Good);
}
