// The tunnel's socket thread: poll, dispatch of datagrams and deadlines, prompt stop.
#include "knx/knxnetip/tunnel_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace knxnetip {

TunnelDriver::TunnelDriver(TunnelListener& listener, TunnelTiming timing)
    : listener_(listener), timing_(timing) {}

TunnelDriver::~TunnelDriver() {
  Stop();
  if (wakeRead_ >= 0) close(wakeRead_);
  if (wakeWrite_ >= 0) close(wakeWrite_);
}

bool TunnelDriver::Start(const sockaddr_in& server, bool nat) {
  if (thread_.joinable() || !socket_.Open(server)) return false;
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  wakeRead_ = fds[0];
  wakeWrite_ = fds[1];
  {
    std::lock_guard lock(mutex_);
    TunnelListener& events = *this;
    tunnel_.emplace(socket_, HpaiOf(server), nat ? Hpai{} : socket_.local(), events, timing_);
    tunnel_->Open(TunnelClock::now());
  }
  thread_ = std::thread(&TunnelDriver::Run, this);
  return true;
}

void TunnelDriver::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    tunnel_->Close();
  }
  Wake();
  thread_.join();
}

TunnelSendResult TunnelDriver::Send(Bytes cemi) {
  TunnelSendResult result;
  {
    std::lock_guard lock(mutex_);
    if (!tunnel_ || stopping_) return TunnelSendResult::NotConnected;
    result = tunnel_->Send(std::move(cemi), TunnelClock::now());
  }
  // The acknowledgement deadline is new: the thread recomputes its time-out.
  if (result == TunnelSendResult::Queued) Wake();
  return result;
}

bool TunnelDriver::WaitConnected(Duration timeout) {
  std::unique_lock lock(mutex_);
  return connectedChanged_.wait_for(lock, timeout, [this] {
    return tunnel_ && tunnel_->state() == TunnelConnection::State::Connected;
  });
}

std::optional<std::uint16_t> TunnelDriver::IndividualAddress() {
  std::lock_guard lock(mutex_);
  if (!tunnel_ || tunnel_->state() != TunnelConnection::State::Connected) return std::nullopt;
  return tunnel_->individualAddress();
}

void TunnelDriver::OnTunnelConnected(std::uint16_t individualAddress) {
  connectedChanged_.notify_all();
  listener_.OnTunnelConnected(individualAddress);
}

void TunnelDriver::OnTunnelLost() {
  listener_.OnTunnelLost();
}
void TunnelDriver::OnTunnelCemi(const Bytes& cemi) {
  listener_.OnTunnelCemi(cemi);
}
void TunnelDriver::OnTunnelSendFailed(const Bytes& cemi) {
  listener_.OnTunnelSendFailed(cemi);
}

void TunnelDriver::Wake() {
  const char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost when this write fails.
  [[maybe_unused]] ssize_t n = write(wakeWrite_, &byte, 1);
}

void TunnelDriver::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    int timeoutMs = -1;
    if (auto deadline = tunnel_->NextDeadline()) {
      const auto left = *deadline - TunnelClock::now();
      timeoutMs =
          left <= Duration::zero()
              ? 0
              : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    lock.unlock();
    pollfd fds[2] = {{socket_.fd(), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    poll(fds, 2, timeoutMs);
    if ((fds[1].revents & POLLIN) != 0) {
      char drain[64];
      while (read(wakeRead_, drain, sizeof(drain)) > 0) {
      }
    }
    lock.lock();
    if (stopping_) break;
    const TimePoint now = TunnelClock::now();
    // A pending socket error shows as POLLERR without POLLIN; receiving takes it off the
    // socket, else poll would report it again at once.
    if ((fds[0].revents & (POLLIN | POLLERR)) != 0) {
      while (auto datagram = socket_.Receive())
        tunnel_->OnDatagram(datagram->bytes, datagram->from, now);
    }
    tunnel_->OnTimer(now);
  }
}

}  // namespace knxnetip
