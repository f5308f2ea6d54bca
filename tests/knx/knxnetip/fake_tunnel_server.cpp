// The fake tunnel server: connect, heartbeat, disconnect on the control port; tunnelling with
// acks, confirmations and the device's answers on the data port.
#include "fake_tunnel_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/channel_frames.h"
#include "knx/knxnetip/connect_frames.h"
#include "knx/knxnetip/knxnetip_frame.h"
#include "knx/knxnetip/posix_udp_socket.h"
#include "knx/knxnetip/tpdu.h"
#include "knx/knxnetip/tunnelling_frames.h"

using namespace knxnetip;

namespace {

constexpr std::uint8_t kChannel = 7;

int BoundSocket(std::uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

FakeTunnelServer::FakeTunnelServer()
    : m_control(BoundSocket(m_controlPort)), m_data(BoundSocket(m_dataPort)) {
  if (ok()) m_thread = std::thread(&FakeTunnelServer::Run, this);
}

FakeTunnelServer::~FakeTunnelServer() {
  m_stopping = true;
  if (m_thread.joinable()) m_thread.join();
  if (m_control >= 0) close(m_control);
  if (m_data >= 0) close(m_data);
}

void FakeTunnelServer::PlayDevice(std::uint16_t device, std::uint16_t answerTo) {
  std::lock_guard lock(m_mutex);
  m_device = device;
  m_answerTo = answerTo;
}

void FakeTunnelServer::Disconnect() {
  std::lock_guard lock(m_mutex);
  SendTo(m_control,
         EncodeChannelRequest(ServiceType::DisconnectRequest,
                              ChannelRequest{kChannel, Hpai{{127, 0, 0, 1}, m_controlPort}}),
         m_clientControl);
}

void FakeTunnelServer::SendTo(int fd, const Bytes& datagram, const Hpai& to) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  std::memcpy(&address.sin_addr.s_addr, to.address.data(), 4);
  address.sin_port = htons(to.port);
  sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address),
         sizeof(address));
}

void FakeTunnelServer::Run() {
  while (!m_stopping) {
    pollfd fds[2] = {{m_control, POLLIN, 0}, {m_data, POLLIN, 0}};
    if (poll(fds, 2, 20) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if ((fds[i].revents & POLLIN) == 0) continue;
      Bytes buffer(1024);
      sockaddr_in from{};
      socklen_t length = sizeof(from);
      const ssize_t n = recvfrom(fds[i].fd, buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
      if (n <= 0) continue;
      buffer.resize(static_cast<std::size_t>(n));
      std::lock_guard lock(m_mutex);
      if (i == 0)
        OnControl(buffer, HpaiOf(from));
      else
        OnData(buffer);
    }
  }
}

void FakeTunnelServer::OnControl(ByteView datagram, const Hpai& from) {
  auto frame = DecodeFrame(datagram);
  if (!frame) return;
  switch (frame->service) {
    case ServiceType::ConnectRequest: {
      if (!m_answerConnects) return;
      const auto& request = std::get<ConnectRequest>(frame->body);
      m_clientControl = request.control;
      m_clientData = request.data;
      m_sendSequence = 0;
      ++m_connects;
      SendTo(m_control,
             EncodeConnectResponse(ConnectResponse{
                 kChannel, E_NO_ERROR, Hpai{{127, 0, 0, 1}, m_dataPort}, kTunnelAddress}),
             from);
      return;
    }
    case ServiceType::ConnectionStateRequest:
      SendTo(m_control,
             EncodeChannelResponse(ServiceType::ConnectionStateResponse,
                                   ChannelResponse{kChannel, E_NO_ERROR}),
             from);
      return;
    case ServiceType::TunnellingRequest:
      ++m_misdirected;
      return;
    default:
      return;
  }
}

void FakeTunnelServer::OnData(ByteView datagram) {
  auto frame = DecodeFrame(datagram);
  if (!frame || frame->service != ServiceType::TunnellingRequest) return;
  const auto& request = std::get<TunnellingRequest>(frame->body);
  SendTo(m_data, EncodeTunnellingAck(TunnellingAck{kChannel, request.sequence, E_NO_ERROR}),
         m_clientData);
  auto cemi = DecodeCemi(request.cemi);
  if (!cemi || cemi->messageCode != kLDataReq) return;
  CemiLData confirmation = *cemi;
  confirmation.messageCode = kLDataCon;
  confirmation.source = kTunnelAddress;
  SendTunnelled(EncodeCemi(confirmation));
  auto tpdu = DecodeTpdu(cemi->tpdu);
  if (cemi->GroupDestination() || cemi->destination != m_device || !tpdu ||
      tpdu->kind != TpduKind::ConnectedData || tpdu->apci != APciMaskVersionRead) {
    return;
  }
  CemiLData answer =
      MakeLDataReq(m_answerTo, false, 0, kDefaultHopCount,
                   EncodeTpdu(MakeConnectedTpdu(0, APciMaskVersionResponse, {0x07, 0xB0})));
  answer.messageCode = kLDataInd;
  answer.source = m_device;
  SendTunnelled(EncodeCemi(answer));
}

void FakeTunnelServer::SendTunnelled(const Bytes& cemi) {
  // The client's acks are not awaited: on loopback nothing is lost.
  SendTo(m_data, EncodeTunnellingRequest(TunnellingRequest{kChannel, m_sendSequence++, cemi}),
         m_clientData);
}
