// The tunnel's socket thread: poll, dispatch of datagrams and deadlines, prompt stop.
#include "knx/knxnetip/tunnel_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace knxnetip {

TunnelDriver::TunnelDriver(TunnelListener& listener, TunnelTiming timing)
    : m_listener(listener), m_timing(timing) {}

TunnelDriver::~TunnelDriver() {
  Stop();
  if (m_wakeRead >= 0) close(m_wakeRead);
  if (m_wakeWrite >= 0) close(m_wakeWrite);
}

bool TunnelDriver::Start(const sockaddr_in& server, bool nat) {
  if (m_thread.joinable() || !m_socket.Open(server)) return false;
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  m_wakeRead = fds[0];
  m_wakeWrite = fds[1];
  {
    std::lock_guard lock(m_mutex);
    TunnelListener& events = *this;
    m_tunnel.emplace(m_socket, HpaiOf(server), nat ? Hpai{} : m_socket.local(), events, m_timing);
    m_tunnel->Open(TunnelClock::now());
  }
  m_thread = std::thread(&TunnelDriver::Run, this);
  return true;
}

void TunnelDriver::Stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_tunnel->Close();
  }
  Wake();
  m_thread.join();
}

TunnelSendResult TunnelDriver::Send(Bytes cemi) {
  TunnelSendResult result;
  {
    std::lock_guard lock(m_mutex);
    if (!m_tunnel || m_stopping) return TunnelSendResult::NotConnected;
    result = m_tunnel->Send(std::move(cemi), TunnelClock::now());
  }
  // The acknowledgement deadline is new: the thread recomputes its time-out.
  if (result == TunnelSendResult::Queued) Wake();
  return result;
}

bool TunnelDriver::WaitConnected(Duration timeout) {
  std::unique_lock lock(m_mutex);
  return m_connectedChanged.wait_for(lock, timeout, [this] {
    return m_tunnel && m_tunnel->state() == TunnelConnection::State::Connected;
  });
}

std::optional<std::uint16_t> TunnelDriver::IndividualAddress() {
  std::lock_guard lock(m_mutex);
  if (!m_tunnel || m_tunnel->state() != TunnelConnection::State::Connected) return std::nullopt;
  return m_tunnel->individualAddress();
}

void TunnelDriver::OnTunnelConnected(std::uint16_t individualAddress) {
  m_connectedChanged.notify_all();
  m_listener.OnTunnelConnected(individualAddress);
}

void TunnelDriver::OnTunnelLost() {
  m_listener.OnTunnelLost();
}
void TunnelDriver::OnTunnelCemi(const Bytes& cemi) {
  m_listener.OnTunnelCemi(cemi);
}
void TunnelDriver::OnTunnelSendFailed(const Bytes& cemi) {
  m_listener.OnTunnelSendFailed(cemi);
}

void TunnelDriver::Wake() {
  const char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost when this write fails.
  [[maybe_unused]] ssize_t n = write(m_wakeWrite, &byte, 1);
}

void TunnelDriver::Run() {
  std::unique_lock lock(m_mutex);
  while (!m_stopping) {
    int timeoutMs = -1;
    if (auto deadline = m_tunnel->NextDeadline()) {
      const auto left = *deadline - TunnelClock::now();
      timeoutMs =
          left <= Duration::zero()
              ? 0
              : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    lock.unlock();
    pollfd fds[2] = {{m_socket.fd(), POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
    poll(fds, 2, timeoutMs);
    if ((fds[1].revents & POLLIN) != 0) {
      char drain[64];
      while (read(m_wakeRead, drain, sizeof(drain)) > 0) {
      }
    }
    lock.lock();
    if (m_stopping) break;
    const TimePoint now = TunnelClock::now();
    // A pending socket error shows as POLLERR without POLLIN; receiving takes it off the
    // socket, else poll would report it again at once.
    if ((fds[0].revents & (POLLIN | POLLERR)) != 0) {
      while (auto datagram = m_socket.Receive())
        m_tunnel->OnDatagram(datagram->bytes, datagram->from, now);
    }
    m_tunnel->OnTimer(now);
  }
}

}  // namespace knxnetip
