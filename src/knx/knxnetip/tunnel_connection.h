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
  // KNXnet/IP gives a CONNECT_REQUEST ten seconds for its response.
  Duration connectTimeout = std::chrono::seconds(10);
  Duration heartbeatInterval = std::chrono::seconds(60);
  Duration heartbeatTimeout = std::chrono::seconds(10);
  int heartbeatTries = 3;
  // Pause after a failed connection attempt: doubled each time from first up to last.
  Duration firstRetryDelay = std::chrono::seconds(1);
  Duration lastRetryDelay = std::chrono::seconds(30);
  // A tunnel that the server ends sooner than this after it came up keeps the back-off going:
  // a server that accepts and drops every connection is not hammered with requests.
  Duration stableTime = std::chrono::seconds(60);
  std::size_t queueLimit = 256;
};

enum class TunnelSendResult { Queued, NotConnected, QueueFull };

class TunnelConnection {
 public:
  enum class State { Closed, Connecting, Connected, WaitingToReconnect };

  // server is the server's control endpoint; local is the endpoint that the server answers to
  // (control and data), 0.0.0.0:0 asking it to answer to where each datagram came from (NAT).
  TunnelConnection(UdpSocket& socket, Hpai server, Hpai local, TunnelListener& listener,
                   TunnelTiming timing = {});

  // Starts connecting; from then on the connection keeps itself up until Close.
  void Open(TimePoint now);
  // Sends DISCONNECT when connected and drops everything queued, without reports.
  void Close();

  // Queues a cEMI frame; frames go out one at a time, each after the previous was acknowledged
  // and confirmed.
  TunnelSendResult Send(Bytes cemi, TimePoint now);
  // A datagram from `from`; only the server's control and data endpoints are heard.
  void OnDatagram(ByteView datagram, const Hpai& from, TimePoint now);
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
  bool FromServer(const Hpai& from, ServiceType service) const;
  void OnConnectResponse(const ConnectResponse& response, const Hpai& from, TimePoint now);
  void OnConnectionStateResponse(const ChannelResponse& response, TimePoint now);
  void OnDisconnectRequest(const ChannelRequest& request, TimePoint now);
  void OnTunnellingRequest(const TunnellingRequest& request, TimePoint now);
  void OnTunnellingAck(const TunnellingAck& ack, TimePoint now);
  void SendHeartbeat(TimePoint now);
  void TransmitOutstanding(TimePoint now);
  void FinishOutstanding(TimePoint now);
  void SendNext(TimePoint now);
  // Whether an L_Data.con confirms the outstanding request (same destination and data).
  bool ConfirmsOutstanding(const Bytes& confirmation) const;
  // Gives the tunnel up: DISCONNECT to the server, queued frames reported as failed, and a new
  // connection attempt after the back-off delay (at once when the tunnel had been up).
  void Lose(TimePoint now);
  void ScheduleReconnect(TimePoint now);
  void FailQueued();

  UdpSocket& m_socket;
  Hpai m_server;  // control endpoint
  Hpai m_data;    // data endpoint of the current tunnel
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
  TimePoint m_connectedAt{};
  TimePoint m_nextHeartbeat{};
  std::optional<TimePoint> m_heartbeatDeadline;
  int m_heartbeatTries = 0;
};

}  // namespace knxnetip
