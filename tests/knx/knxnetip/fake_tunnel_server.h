// FakeTunnelServer: a KNXnet/IP tunnel server on 127.0.0.1 whose data endpoint is a second port,
// as many KNX IP interfaces have it; it plays one bus device for the device check.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"

class FakeTunnelServer {
 public:
  // The address that the server assigns to the tunnel.
  static constexpr std::uint16_t kTunnelAddress = 0x110a;

  // Binds both ports and starts answering; check ok() afterwards.
  FakeTunnelServer();
  ~FakeTunnelServer();
  FakeTunnelServer(const FakeTunnelServer&) = delete;
  FakeTunnelServer& operator=(const FakeTunnelServer&) = delete;

  bool ok() const { return m_control >= 0 && m_data >= 0; }
  std::uint16_t controlPort() const { return m_controlPort; }

  // The device that answers A_DeviceDescriptor_Read, and the individual address its response
  // is sent to (the tunnel's own, or another client's).
  void PlayDevice(std::uint16_t device, std::uint16_t answerTo);
  // Whether CONNECT_REQUESTs are answered (at first they are).
  void AnswerConnects(bool on) { m_answerConnects = on; }
  // Ends the tunnel from the server side (DISCONNECT_REQUEST to the client).
  void Disconnect();
  int connects() const { return m_connects; }
  // Tunnelling frames that arrived at the control port instead of the data port.
  int misdirected() const { return m_misdirected; }

 private:
  void Run();
  void OnControl(knxnetip::ByteView datagram, const knxnetip::Hpai& from);
  void OnData(knxnetip::ByteView datagram);
  void SendTunnelled(const knxnetip::Bytes& cemi);
  void SendTo(int fd, const knxnetip::Bytes& datagram, const knxnetip::Hpai& to);

  // The ports come first: the constructor fills them in while it binds the sockets.
  std::uint16_t m_controlPort = 0;
  std::uint16_t m_dataPort = 0;
  int m_control = -1;
  int m_data = -1;
  std::mutex m_mutex;
  knxnetip::Hpai m_clientControl;
  knxnetip::Hpai m_clientData;
  std::uint8_t m_sendSequence = 0;
  std::uint16_t m_device = 0;
  std::uint16_t m_answerTo = 0;
  std::atomic<bool> m_answerConnects{true};
  std::atomic<int> m_connects{0};
  std::atomic<int> m_misdirected{0};
  std::atomic<bool> m_stopping{false};
  std::thread m_thread;
};
