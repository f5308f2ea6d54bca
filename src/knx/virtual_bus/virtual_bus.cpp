// VirtualBus: the in-process line, its registry and its controls.
#include "knx/virtual_bus/virtual_bus.h"

#include <algorithm>
#include <utility>

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<VirtualBus>> buses;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

GroupTelegram MakeTelegram(std::uint16_t source, std::uint16_t groupAddress, std::int32_t apci,
                           std::int32_t priority, std::vector<std::uint8_t> data) {
  GroupTelegram telegram;
  telegram.source = source;
  telegram.groupAddress = groupAddress;
  telegram.apci = apci;
  telegram.priority = priority;
  telegram.data = std::move(data);
  return telegram;
}

}  // namespace

std::shared_ptr<VirtualBus> VirtualBus::Named(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::shared_ptr<VirtualBus>& bus = registry.buses[name];
  if (!bus) bus = std::make_shared<VirtualBus>();
  return bus;
}

std::shared_ptr<VirtualBus> VirtualBus::Find(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto it = registry.buses.find(name);
  return it == registry.buses.end() ? nullptr : it->second;
}

void VirtualBus::Forget(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.buses.erase(name);
}

void VirtualBus::Apply(const VirtualBusParameter& parameter) {
  std::lock_guard lock(m_mutex);
  m_devices.insert(parameter.devices.begin(), parameter.devices.end());
  for (const auto& [address, data] : parameter.answers) m_answers[address] = data;
  if (parameter.checkTimeout) m_checkTimeout = *parameter.checkTimeout;
}

void VirtualBus::SetAnswer(std::uint16_t groupAddress, std::vector<std::uint8_t> data) {
  std::lock_guard lock(m_mutex);
  m_answers[groupAddress] = std::move(data);
}

void VirtualBus::RemoveAnswer(std::uint16_t groupAddress) {
  std::lock_guard lock(m_mutex);
  m_answers.erase(groupAddress);
}

std::optional<std::vector<std::uint8_t>> VirtualBus::Answer(std::uint16_t groupAddress) const {
  std::lock_guard lock(m_mutex);
  const auto it = m_answers.find(groupAddress);
  if (it == m_answers.end()) return std::nullopt;
  return it->second;
}

void VirtualBus::SetDevicePresent(std::uint16_t individualAddress, bool present) {
  std::lock_guard lock(m_mutex);
  if (present) {
    m_devices.insert(individualAddress);
  } else {
    m_devices.erase(individualAddress);
  }
}

bool VirtualBus::IsDevicePresent(std::uint16_t individualAddress) const {
  std::lock_guard lock(m_mutex);
  return m_devices.count(individualAddress) != 0;
}

void VirtualBus::SetCheckTimeout(std::chrono::milliseconds timeout) {
  std::lock_guard lock(m_mutex);
  m_checkTimeout = timeout;
}

std::chrono::milliseconds VirtualBus::CheckTimeout() const {
  std::lock_guard lock(m_mutex);
  return m_checkTimeout;
}

void VirtualBus::SetOpenError(std::int32_t error) {
  std::lock_guard lock(m_mutex);
  m_openError = error;
}

std::int32_t VirtualBus::OpenError() const {
  std::lock_guard lock(m_mutex);
  return m_openError;
}

void VirtualBus::FailSends(VirtualSendFailure failure, int count) {
  std::lock_guard lock(m_mutex);
  m_failure = failure;
  m_failureCount = count;
}

void VirtualBus::SetDropEvents(bool drop) {
  std::lock_guard lock(m_mutex);
  m_dropEvents = drop;
}

void VirtualBus::InjectGroupWrite(std::uint16_t source, std::uint16_t groupAddress,
                                  std::vector<std::uint8_t> data, std::int32_t priority) {
  std::lock_guard delivery(m_deliveryMutex);
  Spread(MakeTelegram(source, groupAddress, APciValueWrite, priority, std::move(data)), nullptr);
}

void VirtualBus::InjectGroupRead(std::uint16_t source, std::uint16_t groupAddress,
                                 std::int32_t priority) {
  std::lock_guard delivery(m_deliveryMutex);
  Spread(MakeTelegram(source, groupAddress, APciValueRead, priority, {}), nullptr);
}

void VirtualBus::InjectGroupResponse(std::uint16_t source, std::uint16_t groupAddress,
                                     std::vector<std::uint8_t> data, std::int32_t priority) {
  std::lock_guard delivery(m_deliveryMutex);
  Spread(MakeTelegram(source, groupAddress, APciValueResponse, priority, std::move(data)), nullptr);
}

std::vector<GroupTelegram> VirtualBus::Sent() const {
  std::lock_guard lock(m_mutex);
  return m_sent;
}

void VirtualBus::ClearSent() {
  std::lock_guard lock(m_mutex);
  m_sent.clear();
}

bool VirtualBus::WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_mutex);
  return m_sentChanged.wait_for(lock, timeout, [&] { return m_sent.size() >= count; });
}

std::size_t VirtualBus::ConnectionCount() const {
  std::lock_guard lock(m_mutex);
  return static_cast<std::size_t>(std::count_if(m_ports.begin(), m_ports.end(),
                                                [](const auto& port) { return !port.expired(); }));
}

void VirtualBus::Connect(const std::shared_ptr<VirtualBusPort>& port) {
  std::lock_guard lock(m_mutex);
  m_ports.push_back(port);
}

void VirtualBus::Disconnect(const VirtualBusPort* port) {
  std::lock_guard lock(m_mutex);
  std::erase_if(m_ports, [&](const auto& entry) {
    const std::shared_ptr<VirtualBusPort> open = entry.lock();
    return !open || open.get() == port;
  });
}

std::vector<std::shared_ptr<VirtualBusPort>> VirtualBus::Ports(bool* dropEvents) {
  std::lock_guard lock(m_mutex);
  *dropEvents = m_dropEvents;
  std::vector<std::shared_ptr<VirtualBusPort>> ports;
  for (const auto& entry : m_ports) {
    if (std::shared_ptr<VirtualBusPort> port = entry.lock()) ports.push_back(std::move(port));
  }
  return ports;
}

std::int32_t VirtualBus::Send(const std::shared_ptr<VirtualBusPort>& sender,
                              const GroupTelegram& telegram) {
  std::lock_guard delivery(m_deliveryMutex);
  VirtualSendFailure failure;
  bool dropEvents = false;
  {
    std::lock_guard lock(m_mutex);
    if (m_failureCount != 0) {
      failure = m_failure;
      if (m_failureCount > 0) --m_failureCount;
    }
    dropEvents = m_dropEvents;
    if (failure.kind == VirtualSendFailure::Kind::None) {
      m_sent.push_back(telegram);
      m_sentChanged.notify_all();
      const auto answer = m_answers.find(telegram.groupAddress);
      if (telegram.apci == APciValueWrite && answer != m_answers.end()) {
        answer->second = telegram.data;
      }
    }
  }
  switch (failure.kind) {
    case VirtualSendFailure::Kind::WriteError:
    case VirtualSendFailure::Kind::FailedCall:
      return failure.code;
    case VirtualSendFailure::Kind::ErrorConfirm:
      if (!dropEvents) sender->Confirm(telegram, true);
      return 0;
    case VirtualSendFailure::Kind::None:
      break;
  }
  if (!dropEvents) sender->Confirm(telegram, false);
  Spread(telegram, sender.get());
  return 0;
}

void VirtualBus::Spread(const GroupTelegram& telegram, const VirtualBusPort* except) {
  bool dropEvents = false;
  const std::vector<std::shared_ptr<VirtualBusPort>> ports = Ports(&dropEvents);
  if (dropEvents) return;
  for (const auto& port : ports) {
    if (port.get() != except) port->Telegram(telegram);
  }
  if (telegram.apci != APciValueRead) return;
  std::optional<std::vector<std::uint8_t>> answer = Answer(telegram.groupAddress);
  if (!answer) return;
  const GroupTelegram response =
      MakeTelegram(kVirtualBusAnswerAddress, telegram.groupAddress, APciValueResponse,
                   telegram.priority, std::move(*answer));
  for (const auto& port : ports) port->Telegram(response);
}
