// The tunnel client state machine: connect, sequence counters, acknowledgement with one
// repetition, heartbeat, and reconnection with back-off.
#include "knx/knxnetip/tunnel_connection.h"

#include <algorithm>

#include "knx/knxnetip/cemi_frame.h"

namespace knxnetip {

TunnelConnection::TunnelConnection(UdpSocket& socket, Hpai server, Hpai local,
                                   TunnelListener& listener, TunnelTiming timing)
    : socket_(socket),
      server_(server),
      data_(server),
      local_(local),
      listener_(listener),
      timing_(timing) {}

void TunnelConnection::Open(TimePoint now) {
  if (state_ != State::Closed) return;
  retryDelay_ = Duration::zero();
  Connect(now);
}

void TunnelConnection::Close() {
  if (state_ == State::Connected) {
    socket_.Send(
        EncodeChannelRequest(ServiceType::DisconnectRequest, ChannelRequest{channel_, local_}),
        server_);
  }
  state_ = State::Closed;
  queue_.clear();
  outstanding_.reset();
  heartbeatDeadline_.reset();
}

TunnelSendResult TunnelConnection::Send(Bytes cemi, TimePoint now) {
  if (state_ != State::Connected) return TunnelSendResult::NotConnected;
  if (queue_.size() >= timing_.queueLimit) return TunnelSendResult::QueueFull;
  queue_.push_back(std::move(cemi));
  SendNext(now);
  return TunnelSendResult::Queued;
}

void TunnelConnection::Connect(TimePoint now) {
  state_ = State::Connecting;
  connectDeadline_ = now + timing_.connectTimeout;
  socket_.Send(EncodeConnectRequest(ConnectRequest{local_, local_}), server_);
}

bool TunnelConnection::FromServer(const Hpai& from, ServiceType service) const {
  if (from == server_) return true;
  // Some servers answer the CONNECT_REQUEST from another port than the one it went to.
  if (service == ServiceType::ConnectResponse) return from.address == server_.address;
  return state_ == State::Connected && from == data_;
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
  if (state_ != State::Connecting) return;
  if (response.status != E_NO_ERROR) {
    ScheduleReconnect(now);
    return;
  }
  state_ = State::Connected;
  channel_ = response.channel;
  individualAddress_ = response.individualAddress;
  // Tunnelling frames go to the data endpoint the server named. A "route back" block
  // (0.0.0.0:0, a server behind NAT) means the address and port the response came from.
  data_ = response.data;
  const bool anyAddress = data_.address == std::array<std::uint8_t, 4>{};
  if (anyAddress) data_.address = from.address;
  if (anyAddress || data_.port == 0) data_.port = from.port;
  sendSequence_ = 0;
  receiveSequence_ = 0;
  connectedAt_ = now;
  nextHeartbeat_ = now + timing_.heartbeatInterval;
  heartbeatDeadline_.reset();
  heartbeatTries_ = 0;
  listener_.OnTunnelConnected(individualAddress_);
}

void TunnelConnection::OnConnectionStateResponse(const ChannelResponse& response, TimePoint now) {
  if (state_ != State::Connected || response.channel != channel_ || !heartbeatDeadline_) return;
  // E_CONNECTION_ID: the server has forgotten the channel, so waiting is pointless. Any other
  // error (E_DATA_CONNECTION, E_KNX_CONNECTION) counts as a missing response: the request is
  // repeated when its time-out passes, and the tunnel is given up after the last try.
  if (response.status == E_CONNECTION_ID) {
    Lose(now);
    return;
  }
  if (response.status != E_NO_ERROR) return;
  heartbeatDeadline_.reset();
  heartbeatTries_ = 0;
  nextHeartbeat_ = now + timing_.heartbeatInterval;
}

void TunnelConnection::OnDisconnectRequest(const ChannelRequest& request, TimePoint now) {
  if (state_ != State::Connected || request.channel != channel_) return;
  socket_.Send(
      EncodeChannelResponse(ServiceType::DisconnectResponse, ChannelResponse{channel_, E_NO_ERROR}),
      server_);
  // The server ended the tunnel: no DISCONNECT of ours is due.
  state_ = State::WaitingToReconnect;
  Lose(now);
}

void TunnelConnection::OnTunnellingRequest(const TunnellingRequest& request, TimePoint now) {
  if (state_ != State::Connected || request.channel != channel_) return;
  const bool expected = request.sequence == receiveSequence_;
  const bool repeated = request.sequence == static_cast<std::uint8_t>(receiveSequence_ - 1);
  if (!expected && !repeated) return;
  socket_.Send(EncodeTunnellingAck(TunnellingAck{channel_, request.sequence, E_NO_ERROR}), data_);
  if (repeated) return;  // already delivered; our acknowledgement was lost
  ++receiveSequence_;
  if (request.cemi.empty() || request.cemi[0] != kLDataCon) {
    listener_.OnTunnelCemi(request.cemi);
    return;
  }
  // A confirmation that matches nothing we sent (a late one, after its request was given up,
  // or a server's stray) is no news about any telegram of ours.
  if (!outstanding_ || outstanding_->confirmed || !ConfirmsOutstanding(request.cemi)) return;
  listener_.OnTunnelCemi(request.cemi);
  outstanding_->confirmed = true;
  if (outstanding_->acknowledged) FinishOutstanding(now);
}

bool TunnelConnection::ConfirmsOutstanding(const Bytes& confirmation) const {
  const auto confirmed = DecodeCemi(confirmation);
  const auto sent = DecodeCemi(outstanding_->cemi);
  return confirmed && sent && confirmed->destination == sent->destination &&
         confirmed->GroupDestination() == sent->GroupDestination() && confirmed->tpdu == sent->tpdu;
}

void TunnelConnection::OnTunnellingAck(const TunnellingAck& ack, TimePoint now) {
  if (state_ != State::Connected || ack.channel != channel_ || !outstanding_ ||
      outstanding_->acknowledged || ack.sequence != sendSequence_) {
    return;
  }
  if (ack.status == E_CONNECTION_ID) {
    Lose(now);
    return;
  }
  // Any other error status counts as no acknowledgement: the time-out repeats the frame.
  if (ack.status != E_NO_ERROR) return;
  ++sendSequence_;
  if (outstanding_->confirmed) {
    FinishOutstanding(now);
    return;
  }
  outstanding_->acknowledged = true;
  outstanding_->deadline = now + timing_.confirmTimeout;
}

void TunnelConnection::OnTimer(TimePoint now) {
  switch (state_) {
    case State::Closed:
      return;
    case State::Connecting:
      if (now >= connectDeadline_) ScheduleReconnect(now);
      return;
    case State::WaitingToReconnect:
      if (now >= reconnectAt_) Connect(now);
      return;
    case State::Connected:
      break;
  }
  if (outstanding_ && now >= outstanding_->deadline) {
    if (outstanding_->acknowledged) {
      // The server took the frame but never confirmed it: the system gets a failure report
      // rather than silence, and the queue moves on.
      listener_.OnTunnelSendFailed(outstanding_->cemi);
      FinishOutstanding(now);
    } else if (outstanding_->tries < 2) {
      TransmitOutstanding(now);
    } else {
      Lose(now);
      return;
    }
  }
  if (heartbeatDeadline_ && now >= *heartbeatDeadline_) {
    if (heartbeatTries_ >= timing_.heartbeatTries) {
      Lose(now);
      return;
    }
    SendHeartbeat(now);
  } else if (!heartbeatDeadline_ && now >= nextHeartbeat_) {
    SendHeartbeat(now);
  }
}

std::optional<TimePoint> TunnelConnection::NextDeadline() const {
  switch (state_) {
    case State::Closed:
      return std::nullopt;
    case State::Connecting:
      return connectDeadline_;
    case State::WaitingToReconnect:
      return reconnectAt_;
    case State::Connected:
      break;
  }
  TimePoint next = heartbeatDeadline_ ? *heartbeatDeadline_ : nextHeartbeat_;
  if (outstanding_) next = std::min(next, outstanding_->deadline);
  return next;
}

void TunnelConnection::SendHeartbeat(TimePoint now) {
  ++heartbeatTries_;
  heartbeatDeadline_ = now + timing_.heartbeatTimeout;
  socket_.Send(
      EncodeChannelRequest(ServiceType::ConnectionStateRequest, ChannelRequest{channel_, local_}),
      server_);
}

void TunnelConnection::TransmitOutstanding(TimePoint now) {
  ++outstanding_->tries;
  outstanding_->deadline = now + timing_.ackTimeout;
  socket_.Send(
      EncodeTunnellingRequest(TunnellingRequest{channel_, sendSequence_, outstanding_->cemi}),
      data_);
}

void TunnelConnection::FinishOutstanding(TimePoint now) {
  outstanding_.reset();
  SendNext(now);
}

void TunnelConnection::SendNext(TimePoint now) {
  if (outstanding_ || queue_.empty()) return;
  outstanding_ = Outstanding{std::move(queue_.front()), now, 0, false, false};
  queue_.pop_front();
  TransmitOutstanding(now);
}

void TunnelConnection::Lose(TimePoint now) {
  if (state_ == State::Connected) {
    socket_.Send(
        EncodeChannelRequest(ServiceType::DisconnectRequest, ChannelRequest{channel_, local_}),
        server_);
  }
  heartbeatDeadline_.reset();
  FailQueued();
  listener_.OnTunnelLost();
  if (now - connectedAt_ < timing_.stableTime) {
    // The tunnel did not last: the back-off goes on where it was.
    ScheduleReconnect(now);
    return;
  }
  // The first attempt follows at once: a restarted server is usually back already.
  retryDelay_ = Duration::zero();
  state_ = State::WaitingToReconnect;
  reconnectAt_ = now;
}

void TunnelConnection::ScheduleReconnect(TimePoint now) {
  retryDelay_ = retryDelay_ == Duration::zero() ? timing_.firstRetryDelay
                                                : std::min(retryDelay_ * 2, timing_.lastRetryDelay);
  state_ = State::WaitingToReconnect;
  reconnectAt_ = now + retryDelay_;
}

void TunnelConnection::FailQueued() {
  if (outstanding_) listener_.OnTunnelSendFailed(outstanding_->cemi);
  outstanding_.reset();
  for (const Bytes& cemi : queue_) listener_.OnTunnelSendFailed(cemi);
  queue_.clear();
}

}  // namespace knxnetip
