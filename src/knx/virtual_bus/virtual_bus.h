// VirtualBus: an in-process KNX line that the "Virtual bus" drivers connect to, with the
// controls through which tests and demos shape it and watch it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "knx/group_telegram.h"
#include "knx/virtual_bus/virtual_bus_parameter.h"
#include "knx/virtual_bus/virtual_bus_port.h"
#include "knx/virtual_bus/virtual_send_failure.h"

// The individual address of every connection to a virtual bus (the sender of its telegrams),
// and of the device that answers group reads with a stored value.
inline constexpr std::uint16_t kVirtualBusOwnAddress = 0x11FA;     // 1.1.250
inline constexpr std::uint16_t kVirtualBusAnswerAddress = 0x11FE;  // 1.1.254

// What happens to a telegram one of the connections sends: unless a send failure is set, it
// goes on the bus (Sent()), the sender gets its confirmation, the other connections see it as
// a telegram, and a read of an address with a stored answer is answered with a response that
// every connection sees after the confirmation. A write to such an address replaces the
// stored answer, as the device that holds the value would. Reports reach the connections in
// bus order, one telegram at a time (a bus-wide lock), on the thread that sent or injected.
// Thread-safe.
class VirtualBus {
 public:
  // The process-wide buses by name. Named() finds or makes one; Forget() takes it out of the
  // registry (open connections keep using it; the next Named() makes a fresh one).
  static std::shared_ptr<VirtualBus> Named(const std::string& name);
  static std::shared_ptr<VirtualBus> Find(const std::string& name);
  static void Forget(const std::string& name);

  // Adds the devices and answers of a connection parameter; sets its check time-out if given.
  void Apply(const VirtualBusParameter& parameter);
  void SetAnswer(std::uint16_t groupAddress, std::vector<std::uint8_t> data);
  void RemoveAnswer(std::uint16_t groupAddress);
  std::optional<std::vector<std::uint8_t>> Answer(std::uint16_t groupAddress) const;
  // Devices that answer a device check.
  void SetDevicePresent(std::uint16_t individualAddress, bool present);
  bool IsDevicePresent(std::uint16_t individualAddress) const;
  // How long the check of a silent device takes before it gives up (0 by default).
  void SetCheckTimeout(std::chrono::milliseconds timeout);
  std::chrono::milliseconds CheckTimeout() const;
  // Opens from now on return this DeviceOpenError and leave the driver closed; 0 again lets
  // them succeed.
  void SetOpenError(std::int32_t error);
  std::int32_t OpenError() const;
  // The next `count` sends fail this way (all of them when `count` is negative), reads and
  // writes alike; VirtualSendFailure{} ends the failures.
  void FailSends(VirtualSendFailure failure, int count = -1);
  // While set, telegrams still go on the bus but no connection is told of any telegram or
  // confirmation.
  void SetDropEvents(bool drop);

  // Telegrams as if another device sent them. An injected read of an address with a stored
  // answer is answered as the system's own.
  void InjectGroupWrite(std::uint16_t source, std::uint16_t groupAddress,
                        std::vector<std::uint8_t> data, std::int32_t priority = PriorityLow);
  void InjectGroupRead(std::uint16_t source, std::uint16_t groupAddress,
                       std::int32_t priority = PriorityLow);
  void InjectGroupResponse(std::uint16_t source, std::uint16_t groupAddress,
                           std::vector<std::uint8_t> data, std::int32_t priority = PriorityLow);

  // The telegrams the connections put on the bus, in order (failed sends are not there).
  std::vector<GroupTelegram> Sent() const;
  void ClearSent();
  // Waits until Sent() holds at least `count` telegrams; false on time-out.
  bool WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const;
  // Connections open now.
  std::size_t ConnectionCount() const;

  // For the driver: joining and leaving, and sending. Send returns a DeviceWriteError code, or
  // a failing HRESULT for a failed call.
  void Connect(const std::shared_ptr<VirtualBusPort>& port);
  void Disconnect(const VirtualBusPort* port);
  std::int32_t Send(const std::shared_ptr<VirtualBusPort>& sender, const GroupTelegram& telegram);

 private:
  // Reports `telegram` to every connection but `except`, then answers it if it is a read.
  void Spread(const GroupTelegram& telegram, const VirtualBusPort* except);
  // The open connections (expired ones are dropped) and whether events are dropped.
  std::vector<std::shared_ptr<VirtualBusPort>> Ports(bool* dropEvents);

  std::mutex m_deliveryMutex;  // one telegram at a time on the bus; taken before m_mutex
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_sentChanged;
  std::vector<std::weak_ptr<VirtualBusPort>> m_ports;
  std::map<std::uint16_t, std::vector<std::uint8_t>> m_answers;
  std::set<std::uint16_t> m_devices;
  std::chrono::milliseconds m_checkTimeout{0};
  std::int32_t m_openError = 0;
  VirtualSendFailure m_failure;
  int m_failureCount = 0;  // negative: without limit
  bool m_dropEvents = false;
  std::vector<GroupTelegram> m_sent;
};
