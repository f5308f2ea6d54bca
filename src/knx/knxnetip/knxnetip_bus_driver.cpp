// Group reads, writes, confirmations and indications, and the device check, over the tunnel.
#include "knx/knxnetip/knxnetip_bus_driver.h"

#include "knx/bus_errors.h"
#include "knx/knxnetip/tpdu.h"
#include "knx/knxnetip/tunnel_server_address.h"

namespace knxnetip {
namespace {

// A standard frame carries at most 14 data bytes after the two APCI octets.
constexpr std::size_t kMaxGroupData = 14;

// The group telegram in a frame, if it is a group value service.
std::optional<GroupTelegram> GroupTelegramOf(const CemiLData& frame) {
  if (!frame.GroupDestination()) return std::nullopt;
  auto tpdu = DecodeTpdu(frame.tpdu);
  if (!tpdu || tpdu->kind != TpduKind::Data) return std::nullopt;
  if (tpdu->apci != APciValueRead && tpdu->apci != APciValueResponse &&
      tpdu->apci != APciValueWrite) {
    return std::nullopt;
  }
  GroupTelegram telegram;
  telegram.source = frame.source;
  telegram.groupAddress = frame.destination;
  telegram.priority = frame.Priority();
  telegram.apci = tpdu->apci;
  telegram.data = GroupValueData(*tpdu);
  return telegram;
}

}  // namespace

KnxNetIpBusDriver::KnxNetIpBusDriver(KnxNetIpDriverTiming timing) : timing_(timing) {}

KnxNetIpBusDriver::~KnxNetIpBusDriver() {
  Close();
}

std::int32_t KnxNetIpBusDriver::Open(const std::string& connectionParameter) {
  Close();
  auto server = ParseTunnelServer(connectionParameter);
  if (!server) return DeviceOpenErrorInvalidDevice;
  TunnelListener& events = *this;
  auto tunnel = std::make_unique<TunnelDriver>(events, timing_.tunnel);
  if (!tunnel->Start(server->address, server->nat)) return DeviceOpenErrorDriverOpenError;
  const bool connected = tunnel->WaitConnected(timing_.openWait);
  {
    std::lock_guard lock(listenerMutex_);
    knownUp_ = connected;
  }
  std::lock_guard lock(driverMutex_);
  tunnel_ = std::move(tunnel);
  return connected ? DeviceOpenErrorNoError : DeviceOpenErrorDriverOpenError;
}

void KnxNetIpBusDriver::Close() {
  CancelCheck();
  std::unique_ptr<TunnelDriver> tunnel;
  {
    std::lock_guard lock(driverMutex_);
    tunnel = std::move(tunnel_);
  }
  // Stopped outside the lock: senders are not held up by the thread's end.
  if (tunnel) tunnel->Stop();
  std::lock_guard lock(listenerMutex_);
  linkUp_ = knownUp_ = false;
}

void KnxNetIpBusDriver::SetListener(BusDriverListener* listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = listener;
  if (listener_ != nullptr && linkUp_ != knownUp_) {
    knownUp_ = linkUp_;
    listener_->OnConnectionState(linkUp_);
  }
}

std::int32_t KnxNetIpBusDriver::SendGroupRead(std::uint16_t groupAddress, std::int32_t priority,
                                              std::int32_t routingCounter) {
  auto tpdu = EncodeTpdu(MakeGroupValueTpdu(APciValueRead, false, {}));
  return SendCemi(MakeLDataReq(groupAddress, true, static_cast<std::uint8_t>(priority),
                               static_cast<std::uint8_t>(routingCounter), std::move(tpdu)));
}

std::int32_t KnxNetIpBusDriver::SendGroupWrite(std::uint16_t groupAddress, std::int32_t priority,
                                               std::int32_t routingCounter, bool shortForm,
                                               const std::vector<std::uint8_t>& data) {
  // A long frame needs at least one data byte: without one it would read as a short write of 0.
  if (!shortForm && (data.empty() || data.size() > kMaxGroupData)) {
    return DeviceWriteErrorInvalidMessage;
  }
  auto tpdu = EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, shortForm, data));
  return SendCemi(MakeLDataReq(groupAddress, true, static_cast<std::uint8_t>(priority),
                               static_cast<std::uint8_t>(routingCounter), std::move(tpdu)));
}

std::int32_t KnxNetIpBusDriver::SendCemi(const CemiLData& frame) {
  std::lock_guard lock(driverMutex_);
  if (!tunnel_) return DeviceWriteErrorDriverNotOpen;
  switch (tunnel_->Send(EncodeCemi(frame))) {
    case TunnelSendResult::Queued:
      return DeviceWriteErrorNoError;
    case TunnelSendResult::NotConnected:
      return DeviceWriteErrorDriverNotOpen;
    case TunnelSendResult::QueueFull:
      return DeviceWriteErrorQueueOverflow;
  }
  return DeviceWriteErrorUnexpectedError;
}

std::int32_t KnxNetIpBusDriver::SendToDevice(std::uint16_t address, const Bytes& tpdu) {
  return SendCemi(MakeLDataReq(address, false, PrioritySystem, kDefaultHopCount, tpdu));
}

std::optional<std::uint16_t> KnxNetIpBusDriver::CheckDevice(std::uint16_t individualAddress) {
  std::lock_guard run(checkRunMutex_);
  {
    std::lock_guard lock(checkMutex_);
    check_ = Check{individualAddress, std::nullopt, false};
  }
  const bool sent =
      SendToDevice(individualAddress, EncodeTpdu(MakeControlTpdu(TpduKind::Connect))) ==
          DeviceWriteErrorNoError &&
      SendToDevice(individualAddress, EncodeTpdu(MakeConnectedTpdu(0, APciMaskVersionRead))) ==
          DeviceWriteErrorNoError;
  if (!sent) {
    std::lock_guard lock(checkMutex_);
    check_.reset();
    return std::nullopt;
  }

  std::unique_lock lock(checkMutex_);
  checkChanged_.wait_for(lock, timing_.checkTimeout,
                         [this] { return check_->responseSequence || check_->cancelled; });
  const Check check = *check_;
  check_.reset();
  lock.unlock();

  if (check.responseSequence) {
    SendToDevice(individualAddress,
                 EncodeTpdu(MakeControlTpdu(TpduKind::Ack, *check.responseSequence)));
  }
  SendToDevice(individualAddress, EncodeTpdu(MakeControlTpdu(TpduKind::Disconnect)));
  if (check.cancelled || !check.responseSequence) return std::nullopt;
  return individualAddress;
}

void KnxNetIpBusDriver::CancelCheck() {
  std::lock_guard lock(checkMutex_);
  if (check_) check_->cancelled = true;
  checkChanged_.notify_all();
}

void KnxNetIpBusDriver::OnTunnelConnected(std::uint16_t individualAddress) {
  individualAddress_ = individualAddress;
  ReportLink(true);
}

void KnxNetIpBusDriver::OnTunnelLost() {
  ReportLink(false);
}

void KnxNetIpBusDriver::ReportLink(bool up) {
  std::lock_guard lock(listenerMutex_);
  linkUp_ = up;
  if (listener_ == nullptr) return;
  knownUp_ = up;
  listener_->OnConnectionState(up);
}

void KnxNetIpBusDriver::OnTunnelCemi(const Bytes& cemi) {
  auto frame = DecodeCemi(cemi);
  if (!frame) return;
  if (!frame->GroupDestination()) {
    if (frame->messageCode == kLDataInd) OnIndividualFrame(*frame);
    return;
  }
  auto telegram = GroupTelegramOf(*frame);
  if (!telegram) return;
  std::lock_guard lock(listenerMutex_);
  if (listener_ == nullptr) return;
  if (frame->messageCode == kLDataCon) {
    listener_->OnGroupConfirm(*telegram, frame->ConfirmError());
  } else if (frame->messageCode == kLDataInd) {
    listener_->OnGroupTelegram(*telegram);
  }
}

void KnxNetIpBusDriver::OnTunnelSendFailed(const Bytes& cemi) {
  auto frame = DecodeCemi(cemi);
  if (!frame) return;
  auto telegram = GroupTelegramOf(*frame);
  if (!telegram) return;
  std::lock_guard lock(listenerMutex_);
  if (listener_ != nullptr) listener_->OnGroupConfirm(*telegram, true);
}

void KnxNetIpBusDriver::OnIndividualFrame(const CemiLData& frame) {
  auto tpdu = DecodeTpdu(frame.tpdu);
  if (!tpdu || tpdu->kind != TpduKind::ConnectedData || tpdu->apci != APciMaskVersionResponse) {
    return;
  }
  std::lock_guard lock(checkMutex_);
  if (!check_ || check_->target != frame.source || frame.destination != individualAddress_) return;
  check_->responseSequence = tpdu->sequence;
  checkChanged_.notify_all();
}

}  // namespace knxnetip
