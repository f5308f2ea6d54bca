// TunnelConnection: the client side of a KNXnet/IP tunnel, as a state machine driven by received
// datagrams and the passing of time (both handed in, so tests control them).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"
#include "knx/knxnetip/knxnetip_frame.h"
#include "knx/knxnetip/tunnel_listener.h"
#include "knx/knxnetip/udp_socket.h"

namespace knxnetip {

using TunnelClock = std::chrono::steady_clock;
using TimePoint = TunnelClock::time_point;
using Duration = TunnelClock::duration;

struct TunnelTiming {
  Duration ackTimeout = std::chrono::seconds(1);
  // How long to wait for the L_Data.con of an acknowledged request before sending the next.
  Duration confirmTimeout = std::chrono::seconds(3);
  Duration connectTimeout = std::chrono::seconds(3);
  Duration heartbeatInterval = std::chrono::seconds(60);
  Duration heartbeatTimeout = std::chrono::seconds(10);
  int heartbeatTries = 3;
  // Pause after a failed connection attempt: doubled each time from first up to last.
  Duration firstRetryDelay = std::chrono::seconds(1);
  Duration lastRetryDelay = std::chrono::seconds(30);
  std::size_t queueLimit = 256;
};

enum class TunnelSendResult { Queued, NotConnected, QueueFull };

class TunnelConnection {
 public:
  enum class State { Closed, Connecting, Connected, WaitingToReconnect };

  // local is the endpoint that the server answers to (control and data).
  TunnelConnection(UdpSocket& socket, Hpai local, TunnelListener& listener,
                   TunnelTiming timing = {});

  // Starts connecting; from then on the connection keeps itself up until Close.
  void Open(TimePoint now);
  // Sends DISCONNECT when connected and drops everything queued, without reports.
  void Close();

  // Queues a cEMI frame; frames go out one at a time, each after the previous was acknowledged
  // and confirmed.
  TunnelSendResult Send(Bytes cemi, TimePoint now);
  void OnDatagram(ByteView datagram, TimePoint now);
  // Handles every deadline that has passed.
  void OnTimer(TimePoint now);
  // The earliest pending deadline, empty when nothing waits.
  std::optional<TimePoint> NextDeadline() const;

  State state() const { return m_state; }
  std::uint16_t individualAddress() const { return m_individualAddress; }
  std::uint8_t channel() const { return m_channel; }

 private:
  struct Outstanding {
    Bytes cemi;
    TimePoint deadline;
    int tries = 0;
    bool acknowledged = false;  // then waiting for the L_Data.con until deadline
    bool confirmed = false;     // the L_Data.con came (servers may send it before the ack)
  };

  void Connect(TimePoint now);
  void OnConnectResponse(const ConnectResponse& response, TimePoint now);
  void OnConnectionStateResponse(const ChannelResponse& response, TimePoint now);
  void OnDisconnectRequest(const ChannelRequest& request, TimePoint now);
  void OnTunnellingRequest(const TunnellingRequest& request, TimePoint now);
  void OnTunnellingAck(const TunnellingAck& ack, TimePoint now);
  void SendHeartbeat(TimePoint now);
  void TransmitOutstanding(TimePoint now);
  void FinishOutstanding(TimePoint now);
  void SendNext(TimePoint now);
  // Gives the tunnel up: DISCONNECT to the server, queued frames reported as failed, and a new
  // connection attempt after the back-off delay (at once when the tunnel had been up).
  void Lose(TimePoint now);
  void ScheduleReconnect(TimePoint now);
  void FailQueued();

  UdpSocket& m_socket;
  Hpai m_local;
  TunnelListener& m_listener;
  TunnelTiming m_timing;

  State m_state = State::Closed;
  std::uint8_t m_channel = 0;
  std::uint16_t m_individualAddress = 0;
  std::uint8_t m_sendSequence = 0;
  std::uint8_t m_receiveSequence = 0;
  std::deque<Bytes> m_queue;
  std::optional<Outstanding> m_outstanding;
  TimePoint m_connectDeadline{};
  TimePoint m_reconnectAt{};
  Duration m_retryDelay{};
  TimePoint m_nextHeartbeat{};
  std::optional<TimePoint> m_heartbeatDeadline;
  int m_heartbeatTries = 0;
};

}  // namespace knxnetip
