// VirtualBusDriver: sends to and hears from a VirtualBus; device checks against its devices.
#include "knx/virtual_bus/virtual_bus_driver.h"

#include "knx/bus_errors.h"

namespace {

constexpr std::size_t kMaxGroupData = 14;  // a standard frame's group data

bool ValidHeader(std::int32_t priority, std::int32_t routingCounter) {
  return priority >= PrioritySystem && priority <= PriorityLow && routingCounter >= 0 &&
         routingCounter <= 7;
}

}  // namespace

VirtualBusDriver::VirtualBusDriver() : m_port(std::make_shared<VirtualBusPort>()) {}

VirtualBusDriver::~VirtualBusDriver() {
  Close();
}

std::shared_ptr<VirtualBus> VirtualBusDriver::Bus() {
  std::lock_guard lock(m_mutex);
  return m_bus;
}

std::int32_t VirtualBusDriver::Open(const std::string& connectionParameter) {
  const std::optional<VirtualBusParameter> parameter =
      ParseVirtualBusParameter(connectionParameter);
  Close();
  if (!parameter) return DeviceOpenErrorInvalidDevice;
  std::shared_ptr<VirtualBus> bus = VirtualBus::Named(parameter->name);
  bus->Apply(*parameter);
  const std::int32_t error = bus->OpenError();
  if (error != DeviceOpenErrorNoError) return error;
  std::lock_guard lock(m_mutex);
  m_bus = std::move(bus);
  m_port->SetOpen(true);
  m_bus->Connect(m_port);
  return DeviceOpenErrorNoError;
}

void VirtualBusDriver::Close() {
  {
    std::lock_guard lock(m_mutex);
    if (m_bus) {
      m_port->SetOpen(false);
      m_bus->Disconnect(m_port.get());
      m_bus.reset();
    }
  }
  EndChecks();
}

void VirtualBusDriver::SetListener(BusDriverListener* listener) {
  m_port->SetListener(listener);
}

std::int32_t VirtualBusDriver::Send(const GroupTelegram& telegram) {
  const std::shared_ptr<VirtualBus> bus = Bus();
  if (!bus) return DeviceWriteErrorDriverNotOpen;
  return bus->Send(m_port, telegram);
}

std::int32_t VirtualBusDriver::SendGroupRead(std::uint16_t groupAddress, std::int32_t priority,
                                             std::int32_t routingCounter) {
  if (!ValidHeader(priority, routingCounter)) return DeviceWriteErrorInvalidMessage;
  GroupTelegram telegram;
  telegram.source = kVirtualBusOwnAddress;
  telegram.groupAddress = groupAddress;
  telegram.priority = priority;
  telegram.apci = APciValueRead;
  return Send(telegram);
}

std::int32_t VirtualBusDriver::SendGroupWrite(std::uint16_t groupAddress, std::int32_t priority,
                                              std::int32_t routingCounter, bool shortForm,
                                              const std::vector<std::uint8_t>& data) {
  if (!ValidHeader(priority, routingCounter)) return DeviceWriteErrorInvalidMessage;
  // A long frame needs at least one data byte: without one it would read as a short write of 0.
  if (!shortForm && (data.empty() || data.size() > kMaxGroupData)) {
    return DeviceWriteErrorInvalidMessage;
  }
  GroupTelegram telegram;
  telegram.source = kVirtualBusOwnAddress;
  telegram.groupAddress = groupAddress;
  telegram.priority = priority;
  telegram.apci = APciValueWrite;
  if (shortForm) {
    telegram.data = {static_cast<std::uint8_t>(data.empty() ? 0 : data[0] & 0x3F)};
  } else {
    telegram.data = data;
  }
  return Send(telegram);
}

DeviceCheckResult VirtualBusDriver::CheckDevice(std::uint16_t individualAddress) {
  const std::shared_ptr<VirtualBus> bus = Bus();
  if (!bus) return DeviceCheckResult::Of(DeviceCheckResult::Outcome::NotSent);
  if (bus->IsDevicePresent(individualAddress)) return DeviceCheckResult::Answer(individualAddress);
  std::unique_lock lock(m_checkMutex);
  const std::uint64_t generation = m_checkGeneration;
  ++m_checksRunning;
  const bool cancelled = m_checkEnded.wait_for(lock, bus->CheckTimeout(),
                                               [&] { return m_checkGeneration != generation; });
  --m_checksRunning;
  return DeviceCheckResult::Of(cancelled ? DeviceCheckResult::Outcome::Cancelled
                                         : DeviceCheckResult::Outcome::Silent);
}

void VirtualBusDriver::CancelCheck() {
  EndChecks();
}

void VirtualBusDriver::EndChecks() {
  std::lock_guard lock(m_checkMutex);
  if (m_checksRunning == 0) return;  // a later check is not affected
  ++m_checkGeneration;
  m_checkEnded.notify_all();
}
