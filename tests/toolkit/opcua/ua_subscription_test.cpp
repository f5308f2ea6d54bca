// Subscriptions over loopback on a clock the tests move: notifications, acknowledgements and
// Republish, publishing mode, lifetime expiry, queue limits, and TranslateBrowsePathsToNodeIds.
#include <gtest/gtest.h>

#include <atomic>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server.h"
#include "toolkit/opcua/ua_subscription.h"
#include "ua_test_client.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

struct PublishResult {
  std::uint32_t subscriptionId = 0;
  std::vector<std::uint32_t> available;
  std::uint32_t sequenceNumber = 0;
  std::vector<std::pair<std::uint32_t, UaDataValue>> changes;  // client handle, value
  std::uint32_t statusChange = 0;
  bool keepAlive = true;
};

// Decodes a NotificationMessage's data changes and status changes.
void ReadNotificationMessage(UaBinaryReader& r, PublishResult& p) {
  p.sequenceNumber = r.UInt32();
  r.DateTime();
  std::uint32_t count = r.ArrayLength(3);
  p.keepAlive = count == 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    UaExtensionObject e = r.ExtensionObject();
    UaBinaryReader body(reinterpret_cast<const std::uint8_t*>(e.body.data()), e.body.size());
    if (e.typeId.numeric == ua_id::StatusChangeNotification) {
      p.statusChange = body.UInt32();
      continue;
    }
    for (std::uint32_t n = body.ArrayLength(5); n > 0; --n) {
      std::uint32_t handle = body.UInt32();
      p.changes.emplace_back(handle, body.DataValue());
    }
  }
}

class UaSubscriptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    valve = &tree.Add("Heating.Valves", "2/0/1", VT_UI1, Variant::UI1(5), "Valve");
    options.port = 0;
    options.clock = [this] { return clockMs.load(); };
  }

  void StartServer() {
    server = std::make_unique<UaServer>(tree, options);
    ASSERT_TRUE(server->Start(nullptr));
    ASSERT_TRUE(client.Connect(server->Port()) && client.OpenSession());
  }

  // Moves the server's clock on and lets it run what fell due.
  void Advance(std::int64_t ms) {
    clockMs += ms;
    server->Wake();
  }

  std::uint32_t CreateSubscription(double interval, std::uint32_t lifetime,
                                   std::uint32_t keepAlive) {
    Bytes body, response;
    UaBinaryWriter w(body);
    w.Double(interval);
    w.UInt32(lifetime);
    w.UInt32(keepAlive);
    w.UInt32(0);
    w.Boolean(true);
    w.Byte(0);
    EXPECT_EQ(client.Call(ua_id::CreateSubscriptionRequest, body, response),
              ua_id::CreateSubscriptionResponse);
    UaBinaryReader r(response.data(), response.size());
    return r.UInt32();
  }

  UaStatusCode Monitor(std::uint32_t sub, const std::string& itemId, std::uint32_t handle) {
    Bytes body, response;
    UaBinaryWriter w(body);
    w.UInt32(sub);
    w.UInt32(2);
    w.ArrayLength(1);
    w.NodeId(UaNodeId::String(kItemNamespace, itemId));
    w.UInt32(ua_attr::Value);
    w.NullString();
    w.QualifiedName({});
    w.UInt32(2);
    w.UInt32(handle);
    w.Double(0);
    w.NullExtensionObject();
    w.UInt32(1);
    w.Boolean(true);
    client.Call(ua_id::CreateMonitoredItemsRequest, body, response);
    UaBinaryReader r(response.data(), response.size());
    r.ArrayLength(1);
    return r.UInt32();
  }

  // Sends a Publish acknowledging `acks`, moves the clock past a keep-alive period of the
  // tests' subscriptions and waits for the answer.
  PublishResult Publish(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& acks = {},
                        UaStatusCode* fault = nullptr) {
    Bytes body, response;
    UaBinaryWriter w(body);
    w.ArrayLength(acks.size());
    for (auto [sub, seq] : acks) {
      w.UInt32(sub);
      w.UInt32(seq);
    }
    PublishResult p;
    UaStatusCode result = 0;
    EXPECT_TRUE(client.SendRequest(ua_id::PublishRequest, body));
    Advance(100);
    std::uint32_t type = client.ReceiveResponse(response, &result);
    if (fault) *fault = result;
    if (type != ua_id::PublishResponse) return p;
    UaBinaryReader r(response.data(), response.size());
    p.subscriptionId = r.UInt32();
    for (std::uint32_t n = r.ArrayLength(4); n > 0; --n) p.available.push_back(r.UInt32());
    r.Boolean();
    ReadNotificationMessage(r, p);
    return p;
  }

  FakeItemTree tree;
  FakeItem* valve = nullptr;
  std::atomic<std::int64_t> clockMs{1000000};
  UaServerOptions options;
  std::unique_ptr<UaServer> server;
  UaTestClient client;
};
}  // namespace

TEST_F(UaSubscriptionTest, ChangesAcknowledgementsRepublishAndPublishingMode) {
  StartServer();
  std::uint32_t sub = CreateSubscription(20, 1000, 3);
  ASSERT_NE(sub, 0u);
  EXPECT_EQ(Monitor(sub, "Heating.Valves.2/0/1", 7), ua_status::Good);
  EXPECT_EQ(Monitor(sub, "Heating.Valves.none", 8), ua_status::BadNodeIdUnknown);

  PublishResult first = Publish();
  ASSERT_EQ(first.changes.size(), 1u);
  EXPECT_EQ(first.changes[0].first, 7u);
  EXPECT_TRUE(first.changes[0].second.value == UaVariant::Byte(5));
  EXPECT_EQ(first.available, std::vector<std::uint32_t>{first.sequenceNumber});

  // Nothing changes: keep-alives carry the next sequence number without using it.
  PublishResult idle = Publish({{sub, first.sequenceNumber}});
  EXPECT_TRUE(idle.keepAlive);
  EXPECT_EQ(idle.sequenceNumber, first.sequenceNumber + 1);
  EXPECT_TRUE(idle.available.empty());

  tree.Update(*valve, Variant::UI1(9));
  PublishResult change = Publish();
  ASSERT_EQ(change.changes.size(), 1u);
  EXPECT_TRUE(change.changes[0].second.value == UaVariant::Byte(9));
  EXPECT_EQ(change.sequenceNumber, first.sequenceNumber + 1);

  // The unacknowledged message can be sent again; an acknowledged one cannot.
  Bytes body, response;
  UaBinaryWriter w(body);
  w.UInt32(sub);
  w.UInt32(change.sequenceNumber);
  ASSERT_EQ(client.Call(ua_id::RepublishRequest, body, response), ua_id::RepublishResponse);
  PublishResult again;
  UaBinaryReader r(response.data(), response.size());
  ReadNotificationMessage(r, again);
  EXPECT_EQ(again.sequenceNumber, change.sequenceNumber);
  ASSERT_EQ(again.changes.size(), 1u);
  UaStatusCode result = 0;
  body.clear();
  w.UInt32(sub);
  w.UInt32(first.sequenceNumber);
  client.Call(ua_id::RepublishRequest, body, response, &result);
  EXPECT_EQ(result, ua_status::BadMessageNotAvailable);

  // With publishing off, changes wait and only keep-alives go out.
  body.clear();
  w.Boolean(false);
  w.ArrayLength(1);
  w.UInt32(sub);
  client.Call(ua_id::SetPublishingModeRequest, body, response);
  tree.Update(*valve, Variant::UI1(10));
  EXPECT_TRUE(Publish({{sub, change.sequenceNumber}}).keepAlive);

  // Deleting the last subscription makes Publish fail at once.
  body.clear();
  w.ArrayLength(1);
  w.UInt32(sub);
  client.Call(ua_id::DeleteSubscriptionsRequest, body, response);
  Publish({}, &result);
  EXPECT_EQ(result, ua_status::BadNoSubscription);
  EXPECT_EQ(valve->ClientRefCount(), 0);
}

TEST_F(UaSubscriptionTest, ASubscriptionWithoutPublishRequestsExpires) {
  StartServer();
  std::uint32_t sub = CreateSubscription(10, 3, 1);  // revised to a lifetime of 3 cycles
  ASSERT_NE(sub, 0u);
  ASSERT_EQ(Monitor(sub, "Heating.Valves.2/0/1", 1), ua_status::Good);
  EXPECT_EQ(valve->ClientRefCount(), 1);
  Advance(200);
  UaStatusCode result = 0;
  Publish({}, &result);
  EXPECT_EQ(result, ua_status::BadNoSubscription);
  EXPECT_EQ(valve->ClientRefCount(), 0);
}

TEST_F(UaSubscriptionTest, TheServerBoundsTheLifetimeAClientAsksFor) {
  options.maxSubscriptionLifetimeMs = 1000;
  StartServer();
  Bytes body, response;
  UaBinaryWriter w(body);
  w.Double(10);
  w.UInt32(4000000000u);  // lifetime count
  w.UInt32(1000000);      // keep-alive count
  w.UInt32(0);
  w.Boolean(true);
  w.Byte(0);
  ASSERT_EQ(client.Call(ua_id::CreateSubscriptionRequest, body, response),
            ua_id::CreateSubscriptionResponse);
  UaBinaryReader r(response.data(), response.size());
  std::uint32_t sub = r.UInt32();
  EXPECT_EQ(r.Double(), 10.0);
  EXPECT_EQ(r.UInt32(), 100u);  // 1000 ms of 10 ms cycles
  EXPECT_EQ(r.UInt32(), 33u);   // a third of it
  ASSERT_EQ(Monitor(sub, "Heating.Valves.2/0/1", 1), ua_status::Good);
  // A client that stops publishing loses the subscription, and its tag reference, in time.
  Advance(1000);
  UaStatusCode result = 0;
  Publish({}, &result);
  EXPECT_EQ(result, ua_status::BadNoSubscription);
  EXPECT_EQ(valve->ClientRefCount(), 0);
}

TEST_F(UaSubscriptionTest, TranslateBrowsePathsFollowsBrowseNames) {
  StartServer();
  auto translate = [&](std::vector<UaQualifiedName> names, UaStatusCode& status) {
    Bytes body, response;
    UaBinaryWriter w(body);
    w.ArrayLength(1);
    w.NodeId(UaNodeId::Numeric(0, ua_id::ObjectsFolder));
    w.ArrayLength(names.size());
    for (const auto& n : names) {
      w.NodeId(UaNodeId::Numeric(0, ua_id::HierarchicalReferences));
      w.Boolean(false);
      w.Boolean(true);
      w.QualifiedName(n);
    }
    client.Call(ua_id::TranslateBrowsePathsRequest, body, response);
    UaBinaryReader r(response.data(), response.size());
    r.ArrayLength(1);
    status = r.UInt32();
    std::vector<UaNodeId> targets;
    for (std::uint32_t n = r.ArrayLength(5); n > 0; --n) {
      targets.push_back(r.ExpandedNodeId().id);
      r.UInt32();
    }
    return targets;
  };
  UaStatusCode status = 0;
  auto targets = translate({{1, "Project"}, {1, "Heating"}, {1, "Valves"}, {1, "2/0/1"}}, status);
  EXPECT_EQ(status, ua_status::Good);
  EXPECT_EQ(targets, std::vector<UaNodeId>{UaNodeId::String(1, "Heating.Valves.2/0/1")});
  translate({{0, "Server"}, {0, "ServerStatus"}, {0, "State"}}, status);
  EXPECT_EQ(status, ua_status::Good);
  EXPECT_TRUE(translate({{1, "Project"}, {1, "Cooling"}}, status).empty());
  EXPECT_EQ(status, ua_status::BadNoMatch);
}

TEST_F(UaSubscriptionTest, QueuedNotificationsAndAcknowledgementsStayWithinTheLimits) {
  options.maxQueuedNotificationsPerSession = 4;
  std::vector<FakeItem*> items{valve};
  for (int k = 2; k <= 8; ++k) {
    items.push_back(
        &tree.Add("Heating.Valves", "2/0/" + std::to_string(k), VT_UI1, Variant::UI1(1), "Valve"));
  }
  StartServer();
  std::uint32_t sub = CreateSubscription(20, 1000, 3);
  for (std::uint32_t k = 1; k <= 8; ++k) {
    ASSERT_EQ(Monitor(sub, "Heating.Valves.2/0/" + std::to_string(k), k), ua_status::Good);
  }
  // Without Publish requests the values of eight items change many times over; only four
  // notifications may wait.
  for (int round = 0; round < 20; ++round) {
    for (FakeItem* item : items) tree.Update(*item, Variant::UI1(static_cast<std::uint8_t>(round)));
    Advance(20);
  }
  // Acknowledgements wait with a queued Publish: more than could ever be due are refused.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> tooMany(
      options.maxSubscriptionsPerSession * UaSubscription::kKeptMessages + 1, {sub, 1});
  UaStatusCode fault = 0;
  Publish(tooMany, &fault);
  EXPECT_EQ(fault, ua_status::BadTooManyOperations);
  PublishResult p = Publish();
  EXPECT_EQ(p.changes.size(), 4u);
  // Once delivered, room is free again for as many.
  for (FakeItem* item : items) tree.Update(*item, Variant::UI1(50));
  EXPECT_EQ(Publish({{sub, p.sequenceNumber}}).changes.size(), 4u);
}
