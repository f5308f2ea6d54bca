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

KnxNetIpBusDriver::KnxNetIpBusDriver(KnxNetIpDriverTiming timing) : m_timing(timing) {}

KnxNetIpBusDriver::~KnxNetIpBusDriver() {
  Close();
}

std::int32_t KnxNetIpBusDriver::Open(const std::string& connectionParameter) {
  Close();
  auto server = ParseTunnelServer(connectionParameter);
  if (!server) return DeviceOpenErrorInvalidDevice;
  TunnelListener& events = *this;
  auto tunnel = std::make_unique<TunnelDriver>(events, m_timing.tunnel);
  if (!tunnel->Start(server->address, server->nat)) return DeviceOpenErrorDriverOpenError;
  const bool connected = tunnel->WaitConnected(m_timing.openWait);
  {
    std::lock_guard lock(m_listenerMutex);
    m_knownUp = connected;
  }
  std::lock_guard lock(m_driverMutex);
  m_tunnel = std::move(tunnel);
  return connected ? DeviceOpenErrorNoError : DeviceOpenErrorDriverOpenError;
}

void KnxNetIpBusDriver::Close() {
  CancelCheck();
  std::unique_ptr<TunnelDriver> tunnel;
  {
    std::lock_guard lock(m_driverMutex);
    tunnel = std::move(m_tunnel);
  }
  // Stopped outside the lock: senders are not held up by the thread's end.
  if (tunnel) tunnel->Stop();
  std::lock_guard lock(m_listenerMutex);
  m_linkUp = m_knownUp = false;
}

void KnxNetIpBusDriver::SetListener(BusDriverListener* listener) {
  std::lock_guard lock(m_listenerMutex);
  m_listener = listener;
  if (m_listener != nullptr && m_linkUp != m_knownUp) {
    m_knownUp = m_linkUp;
    m_listener->OnConnectionState(m_linkUp);
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
  std::lock_guard lock(m_driverMutex);
  if (!m_tunnel) return DeviceWriteErrorDriverNotOpen;
  switch (m_tunnel->Send(EncodeCemi(frame))) {
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
  std::lock_guard run(m_checkRunMutex);
  {
    std::lock_guard lock(m_checkMutex);
    m_check = Check{individualAddress, std::nullopt, false};
  }
  const bool sent =
      SendToDevice(individualAddress, EncodeTpdu(MakeControlTpdu(TpduKind::Connect))) ==
          DeviceWriteErrorNoError &&
      SendToDevice(individualAddress, EncodeTpdu(MakeConnectedTpdu(0, APciMaskVersionRead))) ==
          DeviceWriteErrorNoError;
  if (!sent) {
    std::lock_guard lock(m_checkMutex);
    m_check.reset();
    return std::nullopt;
  }

  std::unique_lock lock(m_checkMutex);
  m_checkChanged.wait_for(lock, m_timing.checkTimeout,
                          [this] { return m_check->responseSequence || m_check->cancelled; });
  const Check check = *m_check;
  m_check.reset();
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
  std::lock_guard lock(m_checkMutex);
  if (m_check) m_check->cancelled = true;
  m_checkChanged.notify_all();
}

void KnxNetIpBusDriver::OnTunnelConnected(std::uint16_t individualAddress) {
  m_individualAddress = individualAddress;
  ReportLink(true);
}

void KnxNetIpBusDriver::OnTunnelLost() {
  ReportLink(false);
}

void KnxNetIpBusDriver::ReportLink(bool up) {
  std::lock_guard lock(m_listenerMutex);
  m_linkUp = up;
  if (m_listener == nullptr) return;
  m_knownUp = up;
  m_listener->OnConnectionState(up);
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
  std::lock_guard lock(m_listenerMutex);
  if (m_listener == nullptr) return;
  if (frame->messageCode == kLDataCon) {
    m_listener->OnGroupConfirm(*telegram, frame->ConfirmError());
  } else if (frame->messageCode == kLDataInd) {
    m_listener->OnGroupTelegram(*telegram);
  }
}

void KnxNetIpBusDriver::OnTunnelSendFailed(const Bytes& cemi) {
  auto frame = DecodeCemi(cemi);
  if (!frame) return;
  auto telegram = GroupTelegramOf(*frame);
  if (!telegram) return;
  std::lock_guard lock(m_listenerMutex);
  if (m_listener != nullptr) m_listener->OnGroupConfirm(*telegram, true);
}

void KnxNetIpBusDriver::OnIndividualFrame(const CemiLData& frame) {
  auto tpdu = DecodeTpdu(frame.tpdu);
  if (!tpdu || tpdu->kind != TpduKind::ConnectedData || tpdu->apci != APciMaskVersionResponse) {
    return;
  }
  std::lock_guard lock(m_checkMutex);
  if (!m_check || m_check->target != frame.source || frame.destination != m_individualAddress)
    return;
  m_check->responseSequence = tpdu->sequence;
  m_checkChanged.notify_all();
}

}  // namespace knxnetip
