// DeviceResponder: a second tunnel client that plays bus devices for the device check: it
// answers T_Connect and A_DeviceDescriptor_Read addressed to chosen individual addresses.
#pragma once

#include <netinet/in.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "knx/knxnetip/tunnel_driver.h"

class DeviceResponder : private knxnetip::TunnelListener {
 public:
  explicit DeviceResponder(std::set<std::uint16_t> addresses);
  ~DeviceResponder() override;

  // Connects to the server; true once the tunnel is up.
  bool Start(const sockaddr_in& server);
  void Stop();
  // How many descriptor reads were answered so far.
  int answered();

 private:
  void OnTunnelConnected(std::uint16_t) override {}
  void OnTunnelLost() override {}
  void OnTunnelCemi(const knxnetip::Bytes& cemi) override;
  void OnTunnelSendFailed(const knxnetip::Bytes&) override {}
  void Reply(std::uint16_t from, std::uint16_t to, const knxnetip::Bytes& tpdu);
  void SendLoop();

  std::set<std::uint16_t> m_addresses;
  knxnetip::TunnelDriver m_tunnel;
  // Replies are sent by a thread of their own: the tunnel's listener may not call back into it.
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<knxnetip::Bytes> m_replies;
  bool m_stopping = false;
  int m_answered = 0;
  std::thread m_sender;
};
