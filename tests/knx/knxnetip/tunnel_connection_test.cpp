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
  bool Send(ByteView datagram) override {
    sent.emplace_back(datagram.begin(), datagram.end());
    return true;
  }
  std::vector<Bytes> Take() { return std::exchange(sent, {}); }
  std::vector<Bytes> sent;
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
const Bytes kConnectRequest = Hex("06100205001a 08017f000001c3b4 08017f000001c3b4 04040200");
const Bytes kConnectResponse = Hex("061002060014 0100 08017f0000010e57 0404100a");
const Bytes kHeartbeat = Hex("061002070010 0100 08017f000001c3b4");
const Bytes kDisconnect = Hex("061002090010 0100 08017f000001c3b4");
const Bytes kWrite = Hex("1100bce000000a03010081");
const Bytes kWrite2 = Hex("1100bce000000a040300800c1a");
const Bytes kConfirm = Hex("2e00bce000000a03010081");

Bytes Tunnelled(std::uint8_t sequence, const Bytes& cemi) {
  return EncodeTunnellingRequest(TunnellingRequest{1, sequence, cemi});
}
Bytes Ack(std::uint8_t sequence, std::uint8_t status = E_NO_ERROR) {
  return EncodeTunnellingAck(TunnellingAck{1, sequence, status});
}

class TunnelConnectionTest : public ::testing::Test {
 protected:
  TunnelConnectionTest() : tunnel(socket, kLocal, listener) {}

  void Connect() {
    tunnel.Open(now);
    ASSERT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
    tunnel.OnDatagram(kConnectResponse, now);
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
  tunnel.OnDatagram(Ack(1), now);
  tunnel.OnDatagram(EncodeTunnellingAck(TunnellingAck{2, 0, E_NO_ERROR}), now);
  tunnel.OnDatagram(Ack(0), now);
  EXPECT_TRUE(socket.Take().empty());  // still waiting for the confirmation
  tunnel.OnDatagram(Tunnelled(0, kConfirm), now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(0), Tunnelled(1, kWrite2)}));
  EXPECT_EQ(listener.received, std::vector<Bytes>{kConfirm});
  // Confirmation before acknowledgement also completes the frame.
  tunnel.Send(kWrite, now);
  tunnel.OnDatagram(Tunnelled(1, kConfirm), now);
  tunnel.OnDatagram(Ack(1), now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(1), Tunnelled(2, kWrite)}));
  // A confirmation that never comes is reported as a failure and the queue moves on.
  tunnel.OnDatagram(Ack(2), now);
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
  // Reconnects at once; the new tunnel starts its sequences at 0 again.
  Advance(0s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
  tunnel.OnDatagram(kConnectResponse, now);
  tunnel.Send(kWrite, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Tunnelled(0, kWrite)});
  EXPECT_EQ(listener.connected.size(), 2u);
}

TEST_F(TunnelConnectionTest, ReceiveSequenceRules) {
  Connect();
  const Bytes ind = Hex("2900bce0100a0a03010081");
  tunnel.OnDatagram(Tunnelled(0, ind), now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(0)});
  // One less than expected: our ack was lost; ack again, deliver once only.
  tunnel.OnDatagram(Tunnelled(0, ind), now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(0)});
  // Anything else is dropped without an ack.
  tunnel.OnDatagram(Tunnelled(5, ind), now);
  tunnel.OnDatagram(EncodeTunnellingRequest(TunnellingRequest{9, 1, ind}), now);
  EXPECT_TRUE(socket.Take().empty());
  tunnel.OnDatagram(Tunnelled(1, ind), now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Ack(1)});
  EXPECT_EQ(listener.received.size(), 2u);
  // The counter wraps: after 255 comes 0, and 255 is then "one less".
  for (int s = 2; s <= 255; ++s)
    tunnel.OnDatagram(Tunnelled(static_cast<std::uint8_t>(s), ind), now);
  socket.Take();
  tunnel.OnDatagram(Tunnelled(255, ind), now);
  tunnel.OnDatagram(Tunnelled(0, ind), now);
  EXPECT_EQ(socket.Take(), (std::vector<Bytes>{Ack(255), Ack(0)}));
  EXPECT_EQ(listener.received.size(), 257u);
  // Truncated frames are ignored.
  Bytes truncated = Tunnelled(1, ind);
  truncated.pop_back();
  tunnel.OnDatagram(truncated, now);
  EXPECT_TRUE(socket.Take().empty());
}

TEST_F(TunnelConnectionTest, HeartbeatEveryMinuteThreeTriesThenReconnect) {
  Connect();
  Advance(60s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kHeartbeat});
  tunnel.OnDatagram(Hex("06100208 0008 0100"), now);
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
  tunnel.OnDatagram(Hex("06100208 0008 0121"), now);
  EXPECT_EQ(listener.lost, 1);
  Advance(0s);
  tunnel.OnDatagram(kConnectResponse, now);
  socket.Take();
  // An acknowledgement with E_CONNECTION_ID.
  tunnel.Send(kWrite, now);
  tunnel.OnDatagram(Ack(0, E_CONNECTION_ID), now);
  EXPECT_EQ(listener.lost, 2);
  EXPECT_EQ(listener.failed, std::vector<Bytes>{kWrite});
  Advance(0s);
  tunnel.OnDatagram(kConnectResponse, now);
  socket.Take();
  // The server disconnects: answer, no DISCONNECT of ours, reconnect.
  tunnel.OnDatagram(kDisconnect, now);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{Hex("06100 20a 0008 0100")});
  EXPECT_EQ(listener.lost, 3);
  Advance(0s);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
}

TEST_F(TunnelConnectionTest, ConnectAttemptsBackOff) {
  tunnel.Open(now);
  socket.Take();
  // Refused at once: next try after 1 s.
  tunnel.OnDatagram(Hex("06100206 0008 0024"), now);
  Advance(999ms);
  EXPECT_TRUE(socket.Take().empty());
  Advance(1ms);
  EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
  // Unanswered: 3 s time-out, then 2 s, 4 s, ... up to 30 s.
  std::vector<Duration> pauses;
  for (int i = 0; i < 6; ++i) {
    Advance(3s);
    const TimePoint failed = now;
    now = *tunnel.NextDeadline();
    tunnel.OnTimer(now);
    EXPECT_EQ(socket.Take(), std::vector<Bytes>{kConnectRequest});
    pauses.push_back(now - failed);
  }
  EXPECT_EQ(pauses, (std::vector<Duration>{2s, 4s, 8s, 16s, 30s, 30s}));
  // A connection resets the back-off.
  tunnel.OnDatagram(kConnectResponse, now);
  tunnel.OnDatagram(kDisconnect, now);
  EXPECT_EQ(tunnel.NextDeadline(), now);
}
