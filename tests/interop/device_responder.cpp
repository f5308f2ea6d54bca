// The device check's counterpart on the bus, for tests against a real tunnel server.
#include "device_responder.h"

#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/tpdu.h"

using namespace knxnetip;

DeviceResponder::DeviceResponder(std::set<std::uint16_t> addresses)
    : addresses_(std::move(addresses)), tunnel_(*this) {}

DeviceResponder::~DeviceResponder() {
  Stop();
}

bool DeviceResponder::Start(const sockaddr_in& server) {
  if (!tunnel_.Start(server, false)) return false;
  sender_ = std::thread(&DeviceResponder::SendLoop, this);
  return tunnel_.WaitConnected(std::chrono::seconds(3));
}

void DeviceResponder::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (sender_.joinable()) sender_.join();
  tunnel_.Stop();
}

int DeviceResponder::answered() {
  std::lock_guard lock(mutex_);
  return answered_;
}

void DeviceResponder::OnTunnelCemi(const Bytes& cemi) {
  auto frame = DecodeCemi(cemi);
  if (!frame || frame->messageCode != kLDataInd || frame->GroupDestination() ||
      addresses_.count(frame->destination) == 0) {
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
  std::lock_guard lock(mutex_);
  ++answered_;
}

void DeviceResponder::Reply(std::uint16_t from, std::uint16_t to, const Bytes& tpdu) {
  CemiLData frame = MakeLDataReq(to, false, 0, kDefaultHopCount, tpdu);
  frame.source = from;
  {
    std::lock_guard lock(mutex_);
    replies_.push_back(EncodeCemi(frame));
  }
  changed_.notify_all();
}

void DeviceResponder::SendLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !replies_.empty(); });
    if (stopping_) return;
    Bytes cemi = std::move(replies_.front());
    replies_.pop_front();
    lock.unlock();
    tunnel_.Send(std::move(cemi));
    lock.lock();
  }
}
