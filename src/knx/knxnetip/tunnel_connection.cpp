// The tunnel client state machine: connect, sequence counters, acknowledgement with one
// repetition, heartbeat, and reconnection with back-off.
#include "knx/knxnetip/tunnel_connection.h"

#include <algorithm>

#include "knx/knxnetip/cemi_frame.h"

namespace knxnetip {

TunnelConnection::TunnelConnection(UdpSocket& socket, Hpai server, Hpai local,
                                   TunnelListener& listener, TunnelTiming timing)
    : m_socket(socket),
      m_server(server),
      m_data(server),
      m_local(local),
      m_listener(listener),
      m_timing(timing) {}

void TunnelConnection::Open(TimePoint now) {
  if (m_state != State::Closed) return;
  m_retryDelay = Duration::zero();
  Connect(now);
}

void TunnelConnection::Close() {
  if (m_state == State::Connected) {
    m_socket.Send(
        EncodeChannelRequest(ServiceType::DisconnectRequest, ChannelRequest{m_channel, m_local}),
        m_server);
  }
  m_state = State::Closed;
  m_queue.clear();
  m_outstanding.reset();
  m_heartbeatDeadline.reset();
}

TunnelSendResult TunnelConnection::Send(Bytes cemi, TimePoint now) {
  if (m_state != State::Connected) return TunnelSendResult::NotConnected;
  if (m_queue.size() >= m_timing.queueLimit) return TunnelSendResult::QueueFull;
  m_queue.push_back(std::move(cemi));
  SendNext(now);
  return TunnelSendResult::Queued;
}

void TunnelConnection::Connect(TimePoint now) {
  m_state = State::Connecting;
  m_connectDeadline = now + m_timing.connectTimeout;
  m_socket.Send(EncodeConnectRequest(ConnectRequest{m_local, m_local}), m_server);
}

bool TunnelConnection::FromServer(const Hpai& from, ServiceType service) const {
  if (from == m_server) return true;
  // Some servers answer the CONNECT_REQUEST from another port than the one it went to.
  if (service == ServiceType::ConnectResponse) return from.address == m_server.address;
  return m_state == State::Connected && from == m_data;
}

void TunnelConnection::OnDatagram(ByteView datagram, const Hpai& from, TimePoint now) {
  auto frame = DecodeFrame(datagram);
  if (!frame || !FromServer(from, frame->service)) return;
  switch (frame->service) {
    case ServiceType::ConnectResponse:
      OnConnectResponse(std::get<ConnectResponse>(frame->body), from, now);
      break;
    case ServiceType::ConnectionStateResponse:
      OnConnectionStateResponse(std::get<ChannelResponse>(frame->body), now);
      break;
    case ServiceType::DisconnectRequest:
      OnDisconnectRequest(std::get<ChannelRequest>(frame->body), now);
      break;
    case ServiceType::TunnellingRequest:
      OnTunnellingRequest(std::get<TunnellingRequest>(frame->body), now);
      break;
    case ServiceType::TunnellingAck:
      OnTunnellingAck(std::get<TunnellingAck>(frame->body), now);
      break;
    default:  // requests meant for servers, and the answer to our own DISCONNECT
      break;
  }
}

void TunnelConnection::OnConnectResponse(const ConnectResponse& response, const Hpai& from,
                                         TimePoint now) {
  if (m_state != State::Connecting) return;
  if (response.status != E_NO_ERROR) {
    ScheduleReconnect(now);
    return;
  }
  m_state = State::Connected;
  m_channel = response.channel;
  m_individualAddress = response.individualAddress;
  // Tunnelling frames go to the data endpoint the server named. A "route back" block
  // (0.0.0.0:0, a server behind NAT) means the address and port the response came from.
  m_data = response.data;
  const bool anyAddress = m_data.address == std::array<std::uint8_t, 4>{};
  if (anyAddress) m_data.address = from.address;
  if (anyAddress || m_data.port == 0) m_data.port = from.port;
  m_sendSequence = 0;
  m_receiveSequence = 0;
  m_connectedAt = now;
  m_nextHeartbeat = now + m_timing.heartbeatInterval;
  m_heartbeatDeadline.reset();
  m_heartbeatTries = 0;
  m_listener.OnTunnelConnected(m_individualAddress);
}

void TunnelConnection::OnConnectionStateResponse(const ChannelResponse& response, TimePoint now) {
  if (m_state != State::Connected || response.channel != m_channel || !m_heartbeatDeadline) return;
  // E_CONNECTION_ID: the server has forgotten the channel, so waiting is pointless. Any other
  // error (E_DATA_CONNECTION, E_KNX_CONNECTION) counts as a missing response: the request is
  // repeated when its time-out passes, and the tunnel is given up after the last try.
  if (response.status == E_CONNECTION_ID) {
    Lose(now);
    return;
  }
  if (response.status != E_NO_ERROR) return;
  m_heartbeatDeadline.reset();
  m_heartbeatTries = 0;
  m_nextHeartbeat = now + m_timing.heartbeatInterval;
}

void TunnelConnection::OnDisconnectRequest(const ChannelRequest& request, TimePoint now) {
  if (m_state != State::Connected || request.channel != m_channel) return;
  m_socket.Send(EncodeChannelResponse(ServiceType::DisconnectResponse,
                                      ChannelResponse{m_channel, E_NO_ERROR}),
                m_server);
  // The server ended the tunnel: no DISCONNECT of ours is due.
  m_state = State::WaitingToReconnect;
  Lose(now);
}

void TunnelConnection::OnTunnellingRequest(const TunnellingRequest& request, TimePoint now) {
  if (m_state != State::Connected || request.channel != m_channel) return;
  const bool expected = request.sequence == m_receiveSequence;
  const bool repeated = request.sequence == static_cast<std::uint8_t>(m_receiveSequence - 1);
  if (!expected && !repeated) return;
  m_socket.Send(EncodeTunnellingAck(TunnellingAck{m_channel, request.sequence, E_NO_ERROR}),
                m_data);
  if (repeated) return;  // already delivered; our acknowledgement was lost
  ++m_receiveSequence;
  if (request.cemi.empty() || request.cemi[0] != kLDataCon) {
    m_listener.OnTunnelCemi(request.cemi);
    return;
  }
  // A confirmation that matches nothing we sent (a late one, after its request was given up,
  // or a server's stray) is no news about any telegram of ours.
  if (!m_outstanding || m_outstanding->confirmed || !ConfirmsOutstanding(request.cemi)) return;
  m_listener.OnTunnelCemi(request.cemi);
  m_outstanding->confirmed = true;
  if (m_outstanding->acknowledged) FinishOutstanding(now);
}

bool TunnelConnection::ConfirmsOutstanding(const Bytes& confirmation) const {
  const auto confirmed = DecodeCemi(confirmation);
  const auto sent = DecodeCemi(m_outstanding->cemi);
  return confirmed && sent && confirmed->destination == sent->destination &&
         confirmed->GroupDestination() == sent->GroupDestination() && confirmed->tpdu == sent->tpdu;
}

void TunnelConnection::OnTunnellingAck(const TunnellingAck& ack, TimePoint now) {
  if (m_state != State::Connected || ack.channel != m_channel || !m_outstanding ||
      m_outstanding->acknowledged || ack.sequence != m_sendSequence) {
    return;
  }
  if (ack.status == E_CONNECTION_ID) {
    Lose(now);
    return;
  }
  // Any other error status counts as no acknowledgement: the time-out repeats the frame.
  if (ack.status != E_NO_ERROR) return;
  ++m_sendSequence;
  if (m_outstanding->confirmed) {
    FinishOutstanding(now);
    return;
  }
  m_outstanding->acknowledged = true;
  m_outstanding->deadline = now + m_timing.confirmTimeout;
}

void TunnelConnection::OnTimer(TimePoint now) {
  switch (m_state) {
    case State::Closed:
      return;
    case State::Connecting:
      if (now >= m_connectDeadline) ScheduleReconnect(now);
      return;
    case State::WaitingToReconnect:
      if (now >= m_reconnectAt) Connect(now);
      return;
    case State::Connected:
      break;
  }
  if (m_outstanding && now >= m_outstanding->deadline) {
    if (m_outstanding->acknowledged) {
      // The server took the frame but never confirmed it: the system gets a failure report
      // rather than silence, and the queue moves on.
      m_listener.OnTunnelSendFailed(m_outstanding->cemi);
      FinishOutstanding(now);
    } else if (m_outstanding->tries < 2) {
      TransmitOutstanding(now);
    } else {
      Lose(now);
      return;
    }
  }
  if (m_heartbeatDeadline && now >= *m_heartbeatDeadline) {
    if (m_heartbeatTries >= m_timing.heartbeatTries) {
      Lose(now);
      return;
    }
    SendHeartbeat(now);
  } else if (!m_heartbeatDeadline && now >= m_nextHeartbeat) {
    SendHeartbeat(now);
  }
}

std::optional<TimePoint> TunnelConnection::NextDeadline() const {
  switch (m_state) {
    case State::Closed:
      return std::nullopt;
    case State::Connecting:
      return m_connectDeadline;
    case State::WaitingToReconnect:
      return m_reconnectAt;
    case State::Connected:
      break;
  }
  TimePoint next = m_heartbeatDeadline ? *m_heartbeatDeadline : m_nextHeartbeat;
  if (m_outstanding) next = std::min(next, m_outstanding->deadline);
  return next;
}

void TunnelConnection::SendHeartbeat(TimePoint now) {
  ++m_heartbeatTries;
  m_heartbeatDeadline = now + m_timing.heartbeatTimeout;
  m_socket.Send(
      EncodeChannelRequest(ServiceType::ConnectionStateRequest, ChannelRequest{m_channel, m_local}),
      m_server);
}

void TunnelConnection::TransmitOutstanding(TimePoint now) {
  ++m_outstanding->tries;
  m_outstanding->deadline = now + m_timing.ackTimeout;
  m_socket.Send(
      EncodeTunnellingRequest(TunnellingRequest{m_channel, m_sendSequence, m_outstanding->cemi}),
      m_data);
}

void TunnelConnection::FinishOutstanding(TimePoint now) {
  m_outstanding.reset();
  SendNext(now);
}

void TunnelConnection::SendNext(TimePoint now) {
  if (m_outstanding || m_queue.empty()) return;
  m_outstanding = Outstanding{std::move(m_queue.front()), now, 0, false, false};
  m_queue.pop_front();
  TransmitOutstanding(now);
}

void TunnelConnection::Lose(TimePoint now) {
  if (m_state == State::Connected) {
    m_socket.Send(
        EncodeChannelRequest(ServiceType::DisconnectRequest, ChannelRequest{m_channel, m_local}),
        m_server);
  }
  m_heartbeatDeadline.reset();
  FailQueued();
  m_listener.OnTunnelLost();
  if (now - m_connectedAt < m_timing.stableTime) {
    // The tunnel did not last: the back-off goes on where it was.
    ScheduleReconnect(now);
    return;
  }
  // The first attempt follows at once: a restarted server is usually back already.
  m_retryDelay = Duration::zero();
  m_state = State::WaitingToReconnect;
  m_reconnectAt = now;
}

void TunnelConnection::ScheduleReconnect(TimePoint now) {
  m_retryDelay = m_retryDelay == Duration::zero()
                     ? m_timing.firstRetryDelay
                     : std::min(m_retryDelay * 2, m_timing.lastRetryDelay);
  m_state = State::WaitingToReconnect;
  m_reconnectAt = now + m_retryDelay;
}

void TunnelConnection::FailQueued() {
  if (m_outstanding) m_listener.OnTunnelSendFailed(m_outstanding->cemi);
  m_outstanding.reset();
  for (const Bytes& cemi : m_queue) m_listener.OnTunnelSendFailed(cemi);
  m_queue.clear();
}

}  // namespace knxnetip
