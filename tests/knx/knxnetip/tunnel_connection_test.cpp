// The tunnel state machine with a recording socket and a hand-driven clock.
#include "knx/knxnetip/tunnel_connection.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame_test_util.h"

using namespace knxnetip;
using namespace std::chrono_literals;

namespace {

class RecordingSocket : public UdpSocket {
 public:
  bool Send(ByteView datagram, const Hpai& to) override {
    sent.emplace_back(datagram.begin(), datagram.end());
    destinations.push_back(to);
    return true;
  }
  std::vector<Bytes> Take() {
    destinations.clear();
    return std::exchange(sent, {});
  }
  std::vector<Bytes> sent;
  std::vector<Hpai> destinations;
};

class RecordingListener : public TunnelListener {
 public:
  void OnTunnelConnected(std::uint16_t address) override { connected.push_back(address); }
  void OnTunnelLost() override { ++lost; }
  void OnTunnelCemi(const Bytes& cemi) override { received.push_back(cemi); }
  void OnTunnelSendFailed(const Bytes& cemi) override { failed.push_back(cemi); }
  std::vector<std::uint16_t> connected;
  int lost = 0;
  std::vector<Bytes> received;
  std::vector<Bytes> failed;
};

const Hpai kLocal{{127, 0, 0, 1}, 50100};
const Hpai kServer{{127, 0, 0, 1}, 3671};
const Bytes kConnectRequest = Hex("06100205001a 08017f000001c3b4 08017f000001c3b4 04040200");
const Bytes kConnectResponse = Hex("061002060014 0100 08017f0000010e57 0404100a");
const Bytes kHeartbeat = Hex("061002070010 0100 08017f000001c3b4");
const Bytes kDisconnect = Hex("061002090010 0100 08017f000001c3b4");
const Bytes kWrite = Hex("1100bce000000a03010081");
const Bytes kWrite2 = Hex("1100bce000000a040300800c1a");
const Bytes kConfirm = Hex("2e00bce000000a03010081");
const Bytes kConfirm2 = Hex("2e00bce000000a040300800c1a");

Bytes Tunnelled(std::uint8_t sequence, const Bytes& cemi) {
  return EncodeTunnellingRequest(TunnellingRequest{1, sequence, cemi});
}
Bytes Ack(std::uint8_t sequence, std::uint8_t status = E_NO_ERROR) {
  return EncodeTunnellingAck(TunnellingAck{1, sequence, status});
}

class TunnelConnectionTest : public ::testing::Test {
 protected:
  TunnelConnectionTest() : tunnel(socket, kServer, kLocal, listener) {}

  void Connect() {
    tunnel.Open(now);
    ASSERT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
    tunnel.OnDatagram(kConnectResponse, kServer, now);
    ASSERT_EQ(tunnel.state(), TunnelConnection::State::Connected);
  }
  void Advance(Duration d) {
    now += d;
    tunnel.OnTimer(now);
  }

  RecordingSocket socket;
  RecordingListener listener;
  TunnelConnection tunnel;
  TimePoint now{};
};

}  // namespace

TEST_F(TunnelConnectionTest, ConnectsWithAssignedAddressAndRefusesSendsBefore) {
  EXPECT_EQ(tunnel.Send(kWrite, now), TunnelSendResult::NotConnected);
  Connect();
  EXPECT_EQ(listener.connected, std::vector<std::uint16_t>{0x100a});
  EXPECT_EQ(tunnel.individualAddress(), 0x100a);
  EXPECT_EQ(tunnel.NextDeadline(), now + 60s);
  // Close says goodbye once and reports nothing.
  tunnel.Close();
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kDisconnect});
  EXPECT_EQ(listener.lost, 0);
  EXPECT_FALSE(tunnel.NextDeadline());
}

TEST_F(TunnelConnectionTest, SendsOneFrameAtATimeUntilAcknowledgedAndConfirmed) {
  Connect();
  EXPECT_EQ(tunnel.Send(kWrite, now), TunnelSendResult::Queued);
  EXPECT_EQ(tunnel.Send(kWrite2, now), TunnelSendResult::Queued);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Tunnelled(0, kWrite)});
  // An acknowledgement of the wrong sequence or channel changes nothing.
  tunnel.OnDatagram(Ack(1), kServer, now);
  tunnel.OnDatagram(EncodeTunnellingAck(TunnellingAck{2, 0, E_NO_ERROR}), kServer, now);
  tunnel.OnDatagram(Ack(0), kServer, now);
  EXPECT_TRUE(socket.Take().empty());  // still waiting for the confirmation
  tunnel.OnDatagram(Tunnelled(0, kConfirm), kServer, now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(0), Tunnelled(1, kWrite2)}));
  EXPECT_EQ(listener.received, std::vector<Bytes>{kConfirm});
  // Confirmation before acknowledgement also completes the frame.
  tunnel.Send(kWrite, now);
  tunnel.OnDatagram(Tunnelled(1, kConfirm2), kServer, now);
  tunnel.OnDatagram(Ack(1), kServer, now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(1), Tunnelled(2, kWrite)}));
  // A confirmation that never comes is reported as a failure and the queue moves on.
  tunnel.OnDatagram(Ack(2), kServer, now);
  Advance(3s);
  EXPECT_EQ(listener.failed, std::vector<Bytes>{kWrite});
  EXPECT_TRUE(listener.failed.size() == 1 && listener.lost == 0);
}

TEST_F(TunnelConnectionTest, RepeatsOnceAfterAckTimeoutThenReconnects) {
  Connect();
  tunnel.Send(kWrite, now);
  tunnel.Send(kWrite2, now);
  socket.Take();
  Advance(999ms);
  EXPECT_TRUE(socket.Take().empty());
  Advance(1ms);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Tunnelled(0, kWrite)});  // same sequence
  Advance(1s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kDisconnect});
  EXPECT_EQ(listener.failed, (std::vector<Bytes>{kWrite, kWrite2}));
  EXPECT_EQ(listener.lost, 1);
  EXPECT_EQ(tunnel.Send(kWrite, now), TunnelSendResult::NotConnected);
  // The tunnel lasted less than a minute: the reconnect waits the first back-off step. The new
  // tunnel starts its sequences at 0 again.
  Advance(999ms);
  EXPECT_TRUE(socket.Take().empty());
  Advance(1ms);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
  tunnel.OnDatagram(kConnectResponse, kServer, now);
  tunnel.Send(kWrite, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Tunnelled(0, kWrite)});
  EXPECT_EQ(listener.connected.size(), 2u);
}

TEST_F(TunnelConnectionTest, ReceiveSequenceRules) {
  Connect();
  const Bytes ind = Hex("2900bce0100a0a03010081");
  tunnel.OnDatagram(Tunnelled(0, ind), kServer, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(0)});
  // One less than expected: our ack was lost; ack again, deliver once only.
  tunnel.OnDatagram(Tunnelled(0, ind), kServer, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(0)});
  // Anything else is dropped without an ack.
  tunnel.OnDatagram(Tunnelled(5, ind), kServer, now);
  tunnel.OnDatagram(EncodeTunnellingRequest(TunnellingRequest{9, 1, ind}), kServer, now);
  EXPECT_TRUE(socket.Take().empty());
  tunnel.OnDatagram(Tunnelled(1, ind), kServer, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(1)});
  EXPECT_EQ(listener.received.size(), 2u);
  // The counter wraps: after 255 comes 0, and 255 is then "one less".
  for (int s = 2; s <= 255; ++s)
    tunnel.OnDatagram(Tunnelled(static_cast<std::uint8_t>(s), ind), kServer, now);
  socket.Take();
  tunnel.OnDatagram(Tunnelled(255, ind), kServer, now);
  tunnel.OnDatagram(Tunnelled(0, ind), kServer, now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(255), Ack(0)}));
  EXPECT_EQ(listener.received.size(), 257u);
  // Truncated frames are ignored.
  Bytes truncated = Tunnelled(1, ind);
  truncated.pop_back();
  tunnel.OnDatagram(truncated, kServer, now);
  EXPECT_TRUE(socket.Take().empty());
}

TEST_F(TunnelConnectionTest, HeartbeatEveryMinuteThreeTriesThenReconnect) {
  Connect();
  Advance(60s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kHeartbeat});
  tunnel.OnDatagram(Hex("06100208 0008 0100"), kServer, now);
  Advance(59s);
  EXPECT_TRUE(socket.Take().empty());
  Advance(1s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kHeartbeat});
  Advance(10s);
  Advance(10s);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{kHeartbeat, kHeartbeat}));
  EXPECT_EQ(listener.lost, 0);
  Advance(10s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kDisconnect});
  EXPECT_EQ(listener.lost, 1);
  Advance(0s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
}

TEST_F(TunnelConnectionTest, ServerSideLossesReconnect) {
  Connect();
  // A heartbeat answered with E_CONNECTION_ID: the server no longer knows the channel.
  Advance(60s);
  socket.Take();
  tunnel.OnDatagram(Hex("06100208 0008 0121"), kServer, now);
  EXPECT_EQ(listener.lost, 1);
  Advance(0s);
  tunnel.OnDatagram(kConnectResponse, kServer, now);
  socket.Take();
  // An acknowledgement with E_CONNECTION_ID.
  tunnel.Send(kWrite, now);
  tunnel.OnDatagram(Ack(0, E_CONNECTION_ID), kServer, now);
  EXPECT_EQ(listener.lost, 2);
  EXPECT_EQ(listener.failed, std::vector<Bytes>{kWrite});
  Advance(1s);  // that tunnel had not lasted: back-off
  tunnel.OnDatagram(kConnectResponse, kServer, now);
  socket.Take();
  // The server disconnects: answer, no DISCONNECT of ours, reconnect.
  tunnel.OnDatagram(kDisconnect, kServer, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Hex("06100 20a 0008 0100")});
  EXPECT_EQ(listener.lost, 3);
  Advance(2s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
}

TEST_F(TunnelConnectionTest, ConnectAttemptsBackOff) {
  tunnel.Open(now);
  socket.Take();
  // Refused at once: next try after 1 s.
  tunnel.OnDatagram(Hex("06100206 0008 0024"), kServer, now);
  Advance(999ms);
  EXPECT_TRUE(socket.Take().empty());
  Advance(1ms);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
  // Unanswered: 10 s time-out, then 2 s, 4 s, ... up to 30 s.
  std::vector<Duration> pauses;
  for (int i = 0; i < 6; ++i) {
    Advance(9999ms);
    EXPECT_EQ(tunnel.state(), TunnelConnection::State::Connecting);
    Advance(1ms);
    const TimePoint failed = now;
    now = *tunnel.NextDeadline();
    tunnel.OnTimer(now);
    EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
    pauses.push_back(now - failed);
  }
  EXPECT_EQ(pauses, (std::vector<Duration>{2s, 4s, 8s, 16s, 30s, 30s}));
  // A server that accepts and at once ends each tunnel does not reset the back-off.
  for (int i = 0; i < 3; ++i) {
    tunnel.OnDatagram(kConnectResponse, kServer, now);
    tunnel.OnDatagram(kDisconnect, kServer, now);
    EXPECT_EQ(tunnel.NextDeadline(), now + 30s);
    now += 30s;
    tunnel.OnTimer(now);
  }
  // A tunnel that lasted a minute does: its loss is followed by a connect at once.
  tunnel.OnDatagram(kConnectResponse, kServer, now);
  Advance(59s);
  tunnel.OnDatagram(kDisconnect, kServer, now);
  EXPECT_EQ(tunnel.NextDeadline(), now + 30s);
  now += 30s;
  tunnel.OnTimer(now);
  tunnel.OnDatagram(kConnectResponse, kServer, now);
  Advance(60s);
  tunnel.OnDatagram(kDisconnect, kServer, now);
  EXPECT_EQ(tunnel.NextDeadline(), now);
}

TEST_F(TunnelConnectionTest, TunnellingGoesToTheDataEndpointControlToTheControlEndpoint) {
  const Hpai data{{127, 0, 0, 1}, 3700};
  const Hpai stranger{{127, 0, 0, 1}, 3701};
  tunnel.Open(now);
  EXPECT_EQ(socket.destinations, std::vector<Hpai>{kServer});
  socket.Take();
  // A response from elsewhere than the server's host is no answer.
  const Bytes response = Hex("061002060014 0100 08017f0000010e74 0404100a");  // data :3700
  tunnel.OnDatagram(response, Hpai{{127, 0, 0, 2}, 3671}, now);
  EXPECT_EQ(tunnel.state(), TunnelConnection::State::Connecting);
  tunnel.OnDatagram(response, kServer, now);
  ASSERT_EQ(tunnel.state(), TunnelConnection::State::Connected);
  tunnel.Send(kWrite, now);
  EXPECT_EQ(socket.destinations, std::vector<Hpai>{data});
  socket.Take();
  // The server's frames come from the data endpoint; our acks go back there.
  tunnel.OnDatagram(Ack(0), data, now);
  tunnel.OnDatagram(Tunnelled(0, kConfirm), data, now);
  EXPECT_EQ(socket.sent, std::vector<Bytes>{Ack(0)});
  EXPECT_EQ(socket.destinations, std::vector<Hpai>{data});
  EXPECT_EQ(listener.received, std::vector<Bytes>{kConfirm});
  socket.Take();
  // Nobody else is heard.
  tunnel.OnDatagram(Tunnelled(1, kConfirm), stranger, now);
  EXPECT_TRUE(socket.sent.empty());
  EXPECT_EQ(listener.received.size(), 1u);
  // Heartbeat and disconnect go to the control endpoint.
  Advance(60s);
  tunnel.Close();
  EXPECT_EQ(socket.destinations, (std::vector<Hpai>{kServer, kServer}));
}

TEST_F(TunnelConnectionTest, RouteBackEndpointsForClientsBehindNat) {
  TunnelConnection nat(socket, kServer, Hpai{}, listener);
  nat.Open(now);
  // Both HPAI blocks of the request are 0.0.0.0:0.
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Hex("06100205001a 0801000000000000 "
                                                  "0801000000000000 04040200")});
  // The server answers with a route-back data endpoint too: the data endpoint is where the
  // response came from.
  const Hpai natted{{127, 0, 0, 1}, 3671};
  nat.OnDatagram(Hex("061002060014 0100 0801000000000000 0404100a"), natted, now);
  ASSERT_EQ(nat.state(), TunnelConnection::State::Connected);
  nat.Send(kWrite, now);
  EXPECT_EQ(socket.destinations, std::vector<Hpai>{natted});
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Tunnelled(0, kWrite)});
  nat.OnDatagram(Ack(0), natted, now);
  nat.OnDatagram(Tunnelled(0, kConfirm), natted, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(0)});
  now += 60s;
  nat.OnTimer(now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Hex("061002070010 0100 0801000000000000")});
}

TEST_F(TunnelConnectionTest, HeartbeatErrorsOtherThanConnectionIdAreRepeatedLikeMissingAnswers) {
  Connect();
  Advance(60s);
  socket.Take();
  // E_DATA_CONNECTION and E_KNX_CONNECTION: the request is repeated after its time-out.
  tunnel.OnDatagram(Hex("06100208 0008 0126"), kServer, now);
  EXPECT_EQ(listener.lost, 0);
  Advance(10s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kHeartbeat});
  tunnel.OnDatagram(Hex("06100208 0008 0127"), kServer, now);
  Advance(10s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kHeartbeat});
  EXPECT_EQ(listener.lost, 0);
  // A good answer ends the round.
  tunnel.OnDatagram(Hex("06100208 0008 0100"), kServer, now);
  EXPECT_EQ(tunnel.NextDeadline(), now + 60s);
  // Three errors in a row give the tunnel up, as three missing answers do.
  for (int i = 0; i < 3; ++i) {
    Advance(i == 0 ? 60s : 10s);
    tunnel.OnDatagram(Hex("06100208 0008 0127"), kServer, now);
  }
  EXPECT_EQ(listener.lost, 0);
  Advance(10s);
  EXPECT_EQ(listener.lost, 1);
}

TEST_F(TunnelConnectionTest, OnlyTheConfirmationOfTheOutstandingFrameCounts) {
  Connect();
  // A confirmation while nothing is outstanding is not passed on.
  tunnel.OnDatagram(Tunnelled(0, kConfirm), kServer, now);
  EXPECT_TRUE(listener.received.empty());
  tunnel.Send(kWrite, now);
  tunnel.OnDatagram(Ack(0), kServer, now);
  socket.Take();
  // Another destination or other data confirms something else.
  tunnel.OnDatagram(Tunnelled(1, kConfirm2), kServer, now);
  tunnel.OnDatagram(Tunnelled(2, Hex("2e00bce000000a03010080")), kServer, now);
  EXPECT_TRUE(listener.received.empty());
  tunnel.Send(kWrite2, now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(1), Ack(2)}));  // still waiting
  // Indications pass as before, and the right confirmation completes the frame.
  const Bytes ind = Hex("2900bce0100a0a03010081");
  tunnel.OnDatagram(Tunnelled(3, ind), kServer, now);
  tunnel.OnDatagram(Tunnelled(4, kConfirm), kServer, now);
  EXPECT_EQ(listener.received, (std::vector<Bytes>{ind, kConfirm}));
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(3), Ack(4), Tunnelled(1, kWrite2)}));
}
