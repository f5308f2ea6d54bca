// UA-TCP framing and the secure channel: Hello negotiation, chunk limits, bad input, chunking.
#include <gtest/gtest.h>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_header.h"
#include "ua_test_messages.h"

namespace {
struct RecordingSink : UaRequestSink {
  void OnServiceRequest(UaConnection&, std::uint32_t requestId, UaBinaryReader& body) override {
    requests.emplace_back(
        requestId, std::vector<std::uint8_t>(body.Current(), body.Current() + body.Remaining()));
  }
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> requests;
};

std::vector<std::uint8_t> Msg(char chunkType, std::uint32_t seq, std::uint32_t requestId,
                              std::size_t bodySize, std::uint32_t channel = 1) {
  std::vector<std::uint8_t> m;
  UaBinaryWriter w(m);
  w.Raw("MSG", 3);
  w.Byte(static_cast<std::uint8_t>(chunkType));
  w.UInt32(0);
  w.UInt32(channel);
  w.UInt32(1);  // token
  w.UInt32(seq);
  w.UInt32(requestId);
  for (std::size_t k = 0; k < bodySize; ++k) w.Byte(static_cast<std::uint8_t>(k));
  w.PatchUInt32(4, static_cast<std::uint32_t>(m.size()));
  return m;
}

std::string TakeOutput(UaConnection& c) {
  std::string out(reinterpret_cast<const char*>(c.OutgoingData()), c.OutgoingSize());
  c.ConsumeOutgoing(c.OutgoingSize());
  return out;
}

std::uint32_t ErrorCode(const std::string& out) {
  EXPECT_EQ(out.substr(0, 4), "ERRF");
  UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(out.data()) + 8, out.size() - 8);
  return r.UInt32();
}

class UaConnectionTest : public ::testing::Test {
 protected:
  UaConnectionTest() : connection(9, 1, Limits(), 0) {}
  static UaConnectionLimits Limits() {
    UaConnectionLimits limits;
    limits.maxMessageSize = 100000;
    limits.maxChunkCount = 4;
    return limits;
  }
  bool Feed(const std::vector<std::uint8_t>& bytes) {
    return connection.Receive(bytes.data(), bytes.size(), 0, sink);
  }
  void OpenChannel(std::uint32_t clientBuffers = 65535) {
    ASSERT_TRUE(Feed(UaHelloMessage(clientBuffers, clientBuffers)));
    ASSERT_EQ(TakeOutput(connection).substr(0, 4), "ACKF");
    ASSERT_TRUE(Feed(UaOpenMessage(1, 1)));
    ASSERT_EQ(TakeOutput(connection).substr(0, 4), "OPNF");
  }
  RecordingSink sink;
  UaConnection connection;
};
}  // namespace

TEST_F(UaConnectionTest, HelloNegotiatesTheSmallerBuffersAndByteWiseDeliveryWorks) {
  std::vector<std::uint8_t> hello = UaHelloMessage(8192, 100000);
  // Delivered one byte at a time, the Hello is still recognised once complete.
  for (std::size_t k = 0; k + 1 < hello.size(); ++k) {
    ASSERT_TRUE(connection.Receive(&hello[k], 1, 0, sink));
    EXPECT_EQ(connection.OutgoingSize(), 0u);
  }
  ASSERT_TRUE(connection.Receive(&hello.back(), 1, 0, sink));
  std::string ack = TakeOutput(connection);
  ASSERT_EQ(ack.size(), 28u);
  UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(ack.data()) + 12, 16);
  EXPECT_EQ(r.UInt32(), 65535u);  // our receive buffer: the client sends at most 65535
  EXPECT_EQ(r.UInt32(), 8192u);   // our send buffer: what the client can receive
}

TEST_F(UaConnectionTest, GarbageOversizedChunksAndMessagesOverTheLimitsGetAnError) {
  UaConnection first(10, 2, Limits(), 0);
  std::vector<std::uint8_t> garbage(64, 'x');
  EXPECT_FALSE(first.Receive(garbage.data(), garbage.size(), 0, sink));
  EXPECT_EQ(ErrorCode(TakeOutput(first)), ua_status::BadTcpMessageTooLarge);

  UaConnection second(10, 2, Limits(), 0);
  std::vector<std::uint8_t> msgFirst = Msg('F', 1, 1, 10);
  EXPECT_FALSE(second.Receive(msgFirst.data(), msgFirst.size(), 0, sink));
  EXPECT_EQ(ErrorCode(TakeOutput(second)), ua_status::BadTcpMessageTypeInvalid);

  OpenChannel();
  // Five chunks exceed the limit of four.
  for (std::uint32_t k = 0; k < 4; ++k) ASSERT_TRUE(Feed(Msg('C', 2 + k, 5, 100)));
  EXPECT_FALSE(Feed(Msg('C', 6, 5, 100)));
  EXPECT_EQ(ErrorCode(TakeOutput(connection)), ua_status::BadTcpMessageTooLarge);
  EXPECT_TRUE(sink.requests.empty());
}

TEST_F(UaConnectionTest, ChunksAssembleAndSequenceOrChannelErrorsClose) {
  OpenChannel();
  ASSERT_TRUE(Feed(Msg('C', 2, 5, 3)));
  ASSERT_TRUE(Feed(Msg('F', 3, 7, 2)));  // another request in one chunk in between
  ASSERT_TRUE(Feed(Msg('F', 4, 5, 2)));
  ASSERT_EQ(sink.requests.size(), 2u);
  EXPECT_EQ(sink.requests[0].first, 7u);
  EXPECT_EQ(sink.requests[1].first, 5u);
  EXPECT_EQ(sink.requests[1].second, (std::vector<std::uint8_t>{0, 1, 2, 0, 1}));
  // An aborted message is dropped.
  ASSERT_TRUE(Feed(Msg('C', 5, 8, 3)));
  ASSERT_TRUE(Feed(Msg('A', 6, 8, 0)));
  EXPECT_EQ(sink.requests.size(), 2u);
  EXPECT_FALSE(Feed(Msg('F', 9, 9, 1)));
  EXPECT_EQ(ErrorCode(TakeOutput(connection)), ua_status::BadSequenceNumberInvalid);
}

TEST_F(UaConnectionTest, UnfinishedMessagesTimeOut) {
  OpenChannel();
  ASSERT_TRUE(Feed(Msg('C', 2, 5, 3)));
  EXPECT_TRUE(connection.CheckTimeouts(5000));
  EXPECT_FALSE(connection.CheckTimeouts(10000));
  EXPECT_EQ(ErrorCode(TakeOutput(connection)), ua_status::BadTimeout);
}

TEST_F(UaConnectionTest, ResponsesAreChunkedToTheClientsBufferSize) {
  OpenChannel(8192);
  std::vector<std::uint8_t> body(20000, 0xAB);
  connection.SendResponse(3, 1, body);
  std::string out = TakeOutput(connection);
  std::size_t pos = 0, chunks = 0, payload = 0;
  while (pos < out.size()) {
    UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(out.data()) + pos, out.size() - pos);
    r.Skip(3);
    char type = static_cast<char>(r.Byte());
    std::uint32_t size = r.UInt32();
    EXPECT_LE(size, 8192u);
    ++chunks;
    payload += size - 24;
    EXPECT_EQ(type, pos + size == out.size() ? 'F' : 'C');
    pos += size;
  }
  EXPECT_EQ(chunks, 3u);
  EXPECT_EQ(payload, body.size());
}

TEST_F(UaConnectionTest, AResponseOverTheClientsLimitBecomesOneFaultEvenForATinyLimit) {
  // A limit of 20 bytes is raised to one buffer (8192): nothing smaller holds a fault.
  ASSERT_TRUE(Feed(UaHelloMessage(65535, 65535, 20)));
  TakeOutput(connection);
  ASSERT_TRUE(Feed(UaOpenMessage(1, 1)));
  TakeOutput(connection);
  connection.SendResponse(4, 9, std::vector<std::uint8_t>(100, 0xAB));
  EXPECT_EQ(TakeOutput(connection).size(), 24u + 100u);

  connection.SendResponse(5, 9, std::vector<std::uint8_t>(20000, 0xAB));
  std::string out = TakeOutput(connection);
  ASSERT_EQ(out.substr(0, 4), "MSGF");
  UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(out.data()) + 24, out.size() - 24);
  EXPECT_TRUE(r.NodeId().IsNumeric(0, ua_id::ServiceFault));
  r.DateTime();
  EXPECT_EQ(r.UInt32(), 9u);
  EXPECT_EQ(r.UInt32(), ua_status::BadResponseTooLarge);
  EXPECT_FALSE(connection.Failed());
}

TEST_F(UaConnectionTest, InPlaceReceptionServesWholeChunksAndKeepsAnUnfinishedRest) {
  OpenChannel();
  // Two requests and the first half of a third in one receive, the rest in a second one, and a
  // last one alone: each arrives once and whole, whatever way it was cut.
  std::vector<std::uint8_t> bytes = Msg('F', 2, 7, 30);
  const std::vector<std::uint8_t> second = Msg('F', 3, 8, 5);
  const std::vector<std::uint8_t> third = Msg('F', 4, 9, 40);
  bytes.insert(bytes.end(), second.begin(), second.end());
  bytes.insert(bytes.end(), third.begin(), third.begin() + 20);
  ASSERT_TRUE(connection.ReceiveInPlace(bytes.data(), bytes.size(), 0, sink));
  ASSERT_EQ(sink.requests.size(), 2u);
  EXPECT_GT(connection.BufferedBytes(), 0u);  // the rest of the third is kept
  std::vector<std::uint8_t> rest(third.begin() + 20, third.end());
  ASSERT_TRUE(connection.ReceiveInPlace(rest.data(), rest.size(), 0, sink));
  std::vector<std::uint8_t> fourth = Msg('F', 5, 10, 1);
  ASSERT_TRUE(connection.ReceiveInPlace(fourth.data(), fourth.size(), 0, sink));
  ASSERT_EQ(sink.requests.size(), 4u);
  const std::uint32_t ids[] = {7, 8, 9, 10};
  const std::size_t sizes[] = {30, 5, 40, 1};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(sink.requests[k].first, ids[k]);
    EXPECT_EQ(sink.requests[k].second.size(), sizes[k]);
    for (std::size_t b = 0; b < sink.requests[k].second.size(); ++b) {
      ASSERT_EQ(sink.requests[k].second[b], static_cast<std::uint8_t>(b));
    }
  }
  // A chunk cut off at its header is refused in place as it is when copied.
  std::vector<std::uint8_t> tiny = {'M', 'S', 'G', 'F', 4, 0, 0, 0};
  EXPECT_FALSE(connection.ReceiveInPlace(tiny.data(), tiny.size(), 0, sink));
  EXPECT_EQ(ErrorCode(TakeOutput(connection)), ua_status::BadTcpMessageTypeInvalid);
}
