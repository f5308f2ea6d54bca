// DriverInterfaceChooser: lists the registered drivers and keeps the component's choices.
#include "knx/driver_interface_chooser.h"

#include <utility>

DriverInterfaceChooser::DriverInterfaceChooser(const BusComponent& component,
                                               SettingsStore& settings,
                                               InterfaceChoiceDialog dialog)
    : m_component(component), m_settings(settings), m_dialog(std::move(dialog)) {}

std::vector<InterfaceInfo> DriverInterfaceChooser::Interfaces() {
  const std::vector<BusDriverEntry> drivers = m_component.Drivers();
  if (drivers.empty()) return {};
  const std::string stored = m_settings.GetText(kBusAccessKey, kDefaultInterfaceValue).value_or("");
  // The stored name counts only while its driver is there; else the first one is the default.
  std::size_t defaultIndex = 0;
  for (std::size_t i = 0; i < drivers.size(); ++i) {
    if (drivers[i].name == stored) defaultIndex = i;
  }
  std::vector<InterfaceInfo> interfaces;
  for (std::size_t i = 0; i < drivers.size(); ++i) {
    InterfaceInfo info;
    info.name = drivers[i].name;
    info.isDefault = i == defaultIndex ? 1 : 0;
    info.interfaceGuid = drivers[i].interfaceGuid;
    info.connectionParameter = m_settings.GetText(kBusAccessParametersKey, drivers[i].name)
                                   .value_or(drivers[i].defaultParameter);
    interfaces.push_back(std::move(info));
  }
  return interfaces;
}

std::optional<InterfaceInfo> DriverInterfaceChooser::Find(const std::string& name) {
  for (InterfaceInfo& info : Interfaces()) {
    if (info.name == name) return std::move(info);
  }
  return std::nullopt;
}

HRESULT DriverInterfaceChooser::SetDefaultInterface(const std::string& name) {
  if (!Find(name)) return E_INVALIDARG;
  return m_settings.SetText(kBusAccessKey, kDefaultInterfaceValue, name) ? S_OK : E_FAIL;
}

HRESULT DriverInterfaceChooser::GetDefaultInterface(InterfaceInfo* info) {
  if (info == nullptr) return E_INVALIDARG;
  for (InterfaceInfo& candidate : Interfaces()) {
    if (candidate.isDefault != 0) {
      *info = std::move(candidate);
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT DriverInterfaceChooser::ChooseInterface(const std::string& currentName,
                                                std::int32_t /*options*/, InterfaceInfo* info) {
  if (info == nullptr) return E_INVALIDARG;
  if (!m_dialog) return E_FAIL;
  const std::optional<InterfaceChoice> choice = m_dialog(Interfaces(), currentName);
  if (!choice) {
    *info = InterfaceInfo{};
    return S_OK;
  }
  if (!SetConnectionParameter(choice->name, choice->connectionParameter)) return E_FAIL;
  std::optional<InterfaceInfo> chosen = Find(choice->name);
  if (!chosen) return E_FAIL;
  *info = std::move(*chosen);
  return S_OK;
}

bool DriverInterfaceChooser::SetConnectionParameter(const std::string& name,
                                                    const std::string& parameter) {
  if (!Find(name)) return false;
  return m_settings.SetText(kBusAccessParametersKey, name, parameter);
}
