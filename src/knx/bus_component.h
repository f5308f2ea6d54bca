// BusComponent: makes the bus access component's objects and the drivers of its interfaces.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "knx/bus_device.h"
#include "knx/bus_driver.h"
#include "knx/bus_interface_chooser.h"
#include "knx/device_check_service.h"
#include "knx/group_value_service.h"
#include "knx/guid.h"
#include "platform/hresult.h"

// The class is not registered (what object creation reports for a class nobody provides).
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

// A driver of one kind of bus interface.
struct BusDriverEntry {
  Guid interfaceGuid;
  std::string name;              // what the chooser lists, e.g. "KNXnet/IP tunnelling"
  std::string defaultParameter;  // connection parameter offered when none is known
  std::function<std::shared_ptr<BusDriver>()> create;
};

// The component's four classes, as the system creates them. A class without a factory cannot
// be created; tests put fakes here.
struct BusClassFactories {
  std::function<std::shared_ptr<BusInterfaceChooser>()> chooser;
  std::function<std::shared_ptr<BusDevice>()> device;
  std::function<std::shared_ptr<GroupValueService>()> groupValueService;
  std::function<std::shared_ptr<DeviceCheckService>()> deviceCheckService;
};

// Thread-safe. The process has one (Default()); tests may make their own.
class BusComponent {
 public:
  static BusComponent& Default();

  // Adds a driver; false (and nothing changes) when its GUID is already registered or it has
  // no factory.
  bool RegisterDriver(BusDriverEntry entry);
  std::optional<BusDriverEntry> FindDriver(const Guid& interfaceGuid) const;
  // In the order of registration.
  std::vector<BusDriverEntry> Drivers() const;
  // A new, unopened driver for the interface; null when no driver serves that GUID.
  std::shared_ptr<BusDriver> CreateDriver(const Guid& interfaceGuid) const;

  void SetClassFactories(BusClassFactories factories);
  // S_OK with a new object, REGDB_E_CLASSNOTREG without a factory, E_OUTOFMEMORY when the
  // factory made nothing, E_INVALIDARG for a null `out`.
  HRESULT CreateBusInterfaceChooser(std::shared_ptr<BusInterfaceChooser>* out) const;
  HRESULT CreateBusDevice(std::shared_ptr<BusDevice>* out) const;
  HRESULT CreateGroupValueService(std::shared_ptr<GroupValueService>* out) const;
  HRESULT CreateDeviceCheckService(std::shared_ptr<DeviceCheckService>* out) const;

 private:
  template <typename T>
  HRESULT Create(std::function<std::shared_ptr<T>()> BusClassFactories::*slot,
                 std::shared_ptr<T>* out) const;

  mutable std::mutex m_mutex;
  std::vector<BusDriverEntry> m_drivers;
  BusClassFactories m_classes;
};
