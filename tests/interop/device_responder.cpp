// The device check's counterpart on the bus, for tests against a real tunnel server.
#include "device_responder.h"

#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/tpdu.h"

using namespace knxnetip;

DeviceResponder::DeviceResponder(std::set<std::uint16_t> addresses)
    : m_addresses(std::move(addresses)), m_tunnel(*this) {}

DeviceResponder::~DeviceResponder() {
  Stop();
}

bool DeviceResponder::Start(const sockaddr_in& server) {
  if (!m_tunnel.Start(server, false)) return false;
  m_sender = std::thread(&DeviceResponder::SendLoop, this);
  return m_tunnel.WaitConnected(std::chrono::seconds(3));
}

void DeviceResponder::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  if (m_sender.joinable()) m_sender.join();
  m_tunnel.Stop();
}

int DeviceResponder::answered() {
  std::lock_guard lock(m_mutex);
  return m_answered;
}

void DeviceResponder::OnTunnelCemi(const Bytes& cemi) {
  auto frame = DecodeCemi(cemi);
  if (!frame || frame->messageCode != kLDataInd || frame->GroupDestination() ||
      m_addresses.count(frame->destination) == 0) {
    return;
  }
  auto tpdu = DecodeTpdu(frame->tpdu);
  // T_Connect needs no answer; a descriptor read is acknowledged and answered with mask 07B0.
  if (!tpdu || tpdu->kind != TpduKind::ConnectedData || tpdu->apci != APciMaskVersionRead) {
    return;
  }
  Reply(frame->destination, frame->source,
        EncodeTpdu(MakeControlTpdu(TpduKind::Ack, tpdu->sequence)));
  Reply(frame->destination, frame->source,
        EncodeTpdu(MakeConnectedTpdu(0, APciMaskVersionResponse, {0x07, 0xB0})));
  std::lock_guard lock(m_mutex);
  ++m_answered;
}

void DeviceResponder::Reply(std::uint16_t from, std::uint16_t to, const Bytes& tpdu) {
  CemiLData frame = MakeLDataReq(to, false, 0, kDefaultHopCount, tpdu);
  frame.source = from;
  {
    std::lock_guard lock(m_mutex);
    m_replies.push_back(EncodeCemi(frame));
  }
  m_changed.notify_all();
}

void DeviceResponder::SendLoop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_stopping || !m_replies.empty(); });
    if (m_stopping) return;
    Bytes cemi = std::move(m_replies.front());
    m_replies.pop_front();
    lock.unlock();
    m_tunnel.Send(std::move(cemi));
    lock.lock();
  }
}
