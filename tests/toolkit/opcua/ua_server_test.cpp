// The OPC UA server end to end over loopback: start errors, session counting, many values per
// Read, and clients sending bad input.
#include <gtest/gtest.h>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_server.h"
#include "toolkit/toolkit.h"
#include "ua_test_client.h"

namespace {
UaServerOptions AnyPort() {
  UaServerOptions options;
  options.port = 0;
  return options;
}
}  // namespace

TEST(UaServer, ATakenPortIsReportedWithItsNumber) {
  FakeItemTree tree;
  UaServer first(tree, AnyPort());
  std::string error;
  ASSERT_TRUE(first.Start(&error)) << error;
  UaServerOptions same;
  same.port = first.Port();
  UaServer second(tree, same);
  EXPECT_FALSE(second.Start(&error));
  EXPECT_NE(error.find("port " + std::to_string(first.Port())), std::string::npos) << error;
  // Through the toolkit functions as the program uses them.
  ToolkitConfigureServer(same);
  EXPECT_FALSE(ToolkitStartServing(&tree, &error));
  EXPECT_EQ(ToolkitServingPort(), 0);
}

TEST(UaServer, SessionsAreCountedAsConnectedClients) {
  FakeItemTree tree;
  ToolkitConfigureServer(AnyPort());
  std::string error;
  ASSERT_TRUE(ToolkitStartServing(&tree, &error)) << error;
  std::uint16_t port = ToolkitServingPort();
  ASSERT_NE(port, 0);
  EXPECT_EQ(ToolkitClientsConnected(), 0);
  {
    UaTestClient a, b;
    ASSERT_TRUE(a.Connect(port) && a.OpenSession());
    ASSERT_TRUE(b.Connect(port) && b.OpenSession());
    EXPECT_EQ(ToolkitClientsConnected(), 2);
    EXPECT_TRUE(a.CloseSession());
    EXPECT_EQ(ToolkitClientsConnected(), 1);
  }
  // The server shutting down ends the remaining session.
  ToolkitShutdown();
  EXPECT_EQ(ToolkitClientsConnected(), 0);
  EXPECT_EQ(ToolkitServingPort(), 0);
}

TEST(UaServer, ReadsAThousandValuesInOneCallAcrossChunks) {
  FakeItemTree tree;
  std::vector<UaNodeId> nodes;
  for (int k = 0; k < 1000; ++k) {
    std::string leaf = "3/0/" + std::to_string(k);
    tree.Add("Main.Values", leaf, VT_BSTR, Variant::Bstr(std::u16string(100, u'a' + k % 26)));
    nodes.push_back(UaNodeId::String(kItemNamespace, "Main.Values." + leaf));
  }
  nodes.push_back(UaNodeId::String(kItemNamespace, "Main.Values.missing"));
  UaServer server(tree, AnyPort());
  ASSERT_TRUE(server.Start(nullptr));
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server.Port()) && client.OpenSession());
  auto values = client.Read(nodes, 0);  // about 110 kB: several response chunks
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 1001u);
  EXPECT_TRUE((*values)[27].value == UaVariant::String(std::string(100, 'b')));
  EXPECT_EQ((*values)[1000].status, ua_status::BadNodeIdUnknown);
  EXPECT_EQ(tree.deviceReads, 0);  // served from the cache
}

// One Read mixing every outcome: what one value leaves behind must not show in the next.
TEST(UaServer, ReadKeepsEachValueApartInAMixedCall) {
  FakeItemTree tree;
  const std::u16string longText(40, u'x');
  tree.Add("Main", "text", VT_BSTR, Variant::Bstr(longText), "Hall");
  tree.Add("Main", "number", VT_R4, Variant::R4(2.5f));
  tree.Add("Main", "empty", VT_I4, Variant());
  tree.Add("Main", "hidden", VT_I4, Variant::I4(7)).m_accessRights = OPC_WRITEABLE;
  UaServer server(tree, AnyPort());
  ASSERT_TRUE(server.Start(nullptr));
  UaTestClient client;
  ASSERT_TRUE(client.Connect(server.Port()) && client.OpenSession());
  auto item = [](const std::string& id) { return UaNodeId::String(kItemNamespace, id); };
  auto values = client.Read({item("Main.text"), item("Main.hidden"), item("Main.number"),
                             item("Main.text#101"), item("Main.empty"), item("Main.missing"),
                             item("Main.text"), UaNodeId::Numeric(0, ua_id::Server)});
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 8u);
  const auto& v = *values;
  EXPECT_TRUE(v[0].hasValue && v[0].value == UaVariant::String(std::string(40, 'x')));
  EXPECT_FALSE(v[0].hasStatus);
  EXPECT_FALSE(v[1].hasValue);
  EXPECT_EQ(v[1].status, ua_status::BadNotReadable);
  EXPECT_TRUE(v[2].hasValue && v[2].value == UaVariant::Float(2.5f));
  EXPECT_EQ(v[2].status, ua_status::Good);
  EXPECT_TRUE(v[2].hasSourceTimestamp);
  EXPECT_TRUE(v[3].value == UaVariant::String("Hall"));
  EXPECT_FALSE(v[3].hasSourceTimestamp);
  EXPECT_FALSE(v[4].hasValue);
  EXPECT_EQ(v[4].status, ua_status::Good);
  EXPECT_EQ(v[5].status, ua_status::BadNodeIdUnknown);
  EXPECT_TRUE(v[6].value == v[0].value);
  EXPECT_EQ(v[7].status, ua_status::BadAttributeIdInvalid);  // an object has no Value
}

TEST(UaServer, BadClientsGetAnErrorAndOthersCarryOn) {
  FakeItemTree tree;
  tree.Add("", "Check Device", VT_BSTR, Variant::Bstr(u"ok"));
  UaServer server(tree, AnyPort());
  ASSERT_TRUE(server.Start(nullptr));
  UaTestClient good;
  ASSERT_TRUE(good.Connect(server.Port()) && good.OpenSession());

  UaTestClient garbage;
  ASSERT_TRUE(garbage.ConnectTcp(server.Port()));
  std::string answer = garbage.SendRawAndReadUntilClosed(std::vector<std::uint8_t>(100, 0x5A));
  EXPECT_EQ(answer.substr(0, 4), "ERRF");

  // A chunk announcing more than the negotiated buffer.
  UaTestClient oversized;
  ASSERT_TRUE(oversized.Connect(server.Port()));
  std::vector<std::uint8_t> header = {'M', 'S', 'G', 'F', 0x00, 0x00, 0x10, 0x00};
  answer = oversized.SendRawAndReadUntilClosed(header);
  EXPECT_EQ(answer.substr(0, 4), "ERRF");

  // A service request without a session is refused, the channel stays usable.
  UaTestClient sessionless;
  ASSERT_TRUE(sessionless.Connect(server.Port()));
  std::vector<std::uint8_t> response;
  UaStatusCode result = 0;
  sessionless.Call(ua_id::ReadRequest,
                   UaTestClient::ReadRequestBody({UaNodeId::String(1, "Check Device")}, 0),
                   response, &result);
  EXPECT_EQ(result, ua_status::BadSessionIdInvalid);

  auto values = good.Read({UaNodeId::String(kItemNamespace, "Check Device")});
  ASSERT_TRUE(values.has_value());
  EXPECT_TRUE((*values)[0].value == UaVariant::String("ok"));
}
