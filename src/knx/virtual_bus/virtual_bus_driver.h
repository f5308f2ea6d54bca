// VirtualBusDriver: the driver of the "Virtual bus" interface: a connection to a VirtualBus.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "knx/bus_driver.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_port.h"

// Reports reach the listener on the thread that sent or injected the telegram. Not to be
// called from inside a report.
class VirtualBusDriver : public BusDriver {
 public:
  VirtualBusDriver();
  ~VirtualBusDriver() override;
  VirtualBusDriver(const VirtualBusDriver&) = delete;
  VirtualBusDriver& operator=(const VirtualBusDriver&) = delete;

  // Joins the bus that the parameter names (see VirtualBusParameter) and adds its devices and
  // answers to it. DeviceOpenErrorInvalidDevice for a parameter that does not read; the bus's
  // open error when one is set (the driver stays closed then). Opening again leaves the
  // previous bus first.
  std::int32_t Open(const std::string& connectionParameter) override;
  void Close() override;
  void SetListener(BusDriverListener* listener) override;
  // DeviceWriteErrorDriverNotOpen while closed; DeviceWriteErrorInvalidMessage for a priority
  // outside 0-3, a routing counter outside 0-7, or a long-form write without data or with more
  // than 14 bytes. A short-form write carries the low six bits of its first byte.
  std::int32_t SendGroupRead(std::uint16_t groupAddress, std::int32_t priority,
                             std::int32_t routingCounter) override;
  std::int32_t SendGroupWrite(std::uint16_t groupAddress, std::int32_t priority,
                              std::int32_t routingCounter, bool shortForm,
                              const std::vector<std::uint8_t>& data) override;
  // A present device answers at once, a silent one after the bus's check time-out; a closed
  // driver cannot send the check; CancelCheck (or Close) ends the wait as cancelled.
  DeviceCheckResult CheckDevice(std::uint16_t individualAddress) override;
  void CancelCheck() override;

  // The bus joined by the last successful Open; null while closed.
  std::shared_ptr<VirtualBus> Bus();

 private:
  std::int32_t Send(const GroupTelegram& telegram);
  void EndChecks();

  const std::shared_ptr<VirtualBusPort> m_port;
  std::mutex m_mutex;  // guards m_bus
  std::shared_ptr<VirtualBus> m_bus;

  std::mutex m_checkMutex;
  std::condition_variable m_checkEnded;
  int m_checksRunning = 0;
  std::uint64_t m_checkGeneration = 0;  // raised to end the running checks
};
