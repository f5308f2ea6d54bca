// TunnelDriver: a tunnel connection over a real UDP socket, run by a thread of its own.
#pragma once

#include <netinet/in.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "knx/knxnetip/posix_udp_socket.h"
#include "knx/knxnetip/tunnel_connection.h"

namespace knxnetip {

// The thread waits in poll() on the socket and a wake-up pipe, with the tunnel's next deadline
// as time-out. The listener is called on that thread, under the driver's lock: it must hand
// its work on (e.g. post it to the main thread) and not call back into the driver.
class TunnelDriver : private TunnelListener {
 public:
  explicit TunnelDriver(TunnelListener& listener, TunnelTiming timing = {});
  TunnelDriver(const TunnelDriver&) = delete;
  TunnelDriver& operator=(const TunnelDriver&) = delete;
  ~TunnelDriver() override;

  // Opens the socket and starts connecting; false when no socket could be made. `nat`: the
  // HPAI blocks ask for answers to where the datagrams came from.
  bool Start(const sockaddr_in& server, bool nat);
  // Disconnects and ends the thread; prompt (no waiting for the server).
  void Stop();

  TunnelSendResult Send(Bytes cemi);
  // Waits until the tunnel is up, at most timeout; true when it is.
  bool WaitConnected(Duration timeout);
  // The tunnel's individual address while connected, else empty.
  std::optional<std::uint16_t> IndividualAddress();

 private:
  void OnTunnelConnected(std::uint16_t individualAddress) override;
  void OnTunnelLost() override;
  void OnTunnelCemi(const Bytes& cemi) override;
  void OnTunnelSendFailed(const Bytes& cemi) override;

  void Run();
  void Wake();

  TunnelListener& m_listener;
  TunnelTiming m_timing;
  PosixUdpSocket m_socket;
  std::optional<TunnelConnection> m_tunnel;
  int m_wakeRead = -1;
  int m_wakeWrite = -1;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_connectedChanged;
  bool m_stopping = false;
};

}  // namespace knxnetip
