// BusComponent: the registries of the component's classes and drivers.
#include "knx/bus_component.h"

#include <algorithm>
#include <utility>

BusComponent& BusComponent::Default() {
  static BusComponent component;
  return component;
}

bool BusComponent::RegisterDriver(BusDriverEntry entry) {
  if (!entry.create) return false;
  std::lock_guard lock(m_mutex);
  const bool taken = std::any_of(m_drivers.begin(), m_drivers.end(), [&](const auto& driver) {
    return driver.interfaceGuid == entry.interfaceGuid;
  });
  if (taken) return false;
  m_drivers.push_back(std::move(entry));
  return true;
}

std::optional<BusDriverEntry> BusComponent::FindDriver(const Guid& interfaceGuid) const {
  std::lock_guard lock(m_mutex);
  for (const BusDriverEntry& driver : m_drivers) {
    if (driver.interfaceGuid == interfaceGuid) return driver;
  }
  return std::nullopt;
}

std::vector<BusDriverEntry> BusComponent::Drivers() const {
  std::lock_guard lock(m_mutex);
  return m_drivers;
}

std::shared_ptr<BusDriver> BusComponent::CreateDriver(const Guid& interfaceGuid) const {
  // The factory runs outside the lock: a driver may look at the registry while it starts.
  const std::optional<BusDriverEntry> driver = FindDriver(interfaceGuid);
  return driver ? driver->create() : nullptr;
}

void BusComponent::SetClassFactories(BusClassFactories factories) {
  std::lock_guard lock(m_mutex);
  m_classes = std::move(factories);
}

template <typename T>
HRESULT BusComponent::Create(std::function<std::shared_ptr<T>()> BusClassFactories::*slot,
                             std::shared_ptr<T>* out) const {
  if (out == nullptr) return E_INVALIDARG;
  std::function<std::shared_ptr<T>()> factory;
  {
    std::lock_guard lock(m_mutex);
    factory = m_classes.*slot;
  }
  if (!factory) return REGDB_E_CLASSNOTREG;
  *out = factory();
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT BusComponent::CreateBusInterfaceChooser(std::shared_ptr<BusInterfaceChooser>* out) const {
  return Create(&BusClassFactories::chooser, out);
}

HRESULT BusComponent::CreateBusDevice(std::shared_ptr<BusDevice>* out) const {
  return Create(&BusClassFactories::device, out);
}

HRESULT BusComponent::CreateGroupValueService(std::shared_ptr<GroupValueService>* out) const {
  return Create(&BusClassFactories::groupValueService, out);
}

HRESULT BusComponent::CreateDeviceCheckService(std::shared_ptr<DeviceCheckService>* out) const {
  return Create(&BusClassFactories::deviceCheckService, out);
}
