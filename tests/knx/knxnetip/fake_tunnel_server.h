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

  bool ok() const { return control_ >= 0 && data_ >= 0; }
  std::uint16_t controlPort() const { return controlPort_; }

  // The device that answers A_DeviceDescriptor_Read, and the individual address its response
  // is sent to (the tunnel's own, or another client's).
  void PlayDevice(std::uint16_t device, std::uint16_t answerTo);
  // Whether CONNECT_REQUESTs are answered (at first they are).
  void AnswerConnects(bool on) { answerConnects_ = on; }
  // Ends the tunnel from the server side (DISCONNECT_REQUEST to the client).
  void Disconnect();
  int connects() const { return connects_; }
  // Tunnelling frames that arrived at the control port instead of the data port.
  int misdirected() const { return misdirected_; }

 private:
  void Run();
  void OnControl(knxnetip::ByteView datagram, const knxnetip::Hpai& from);
  void OnData(knxnetip::ByteView datagram);
  void SendTunnelled(const knxnetip::Bytes& cemi);
  void SendTo(int fd, const knxnetip::Bytes& datagram, const knxnetip::Hpai& to);

  // The ports come first: the constructor fills them in while it binds the sockets.
  std::uint16_t controlPort_ = 0;
  std::uint16_t dataPort_ = 0;
  int control_ = -1;
  int data_ = -1;
  std::mutex mutex_;
  knxnetip::Hpai clientControl_;
  knxnetip::Hpai clientData_;
  std::uint8_t sendSequence_ = 0;
  std::uint16_t device_ = 0;
  std::uint16_t answerTo_ = 0;
  std::atomic<bool> answerConnects_{true};
  std::atomic<int> connects_{0};
  std::atomic<int> misdirected_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};
