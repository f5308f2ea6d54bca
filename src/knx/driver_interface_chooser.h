// DriverInterfaceChooser: the component's BusInterfaceChooser over the registered drivers, with
// the default interface and the connection parameters kept in the settings store.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "knx/bus_component.h"
#include "knx/bus_interface_chooser.h"
#include "platform/settings_store.h"

// Where the component keeps its choices (HKCU): "DefaultInterface" (text) under the key, and
// one text per interface name under "Parameters", the connection parameter last chosen for it.
inline constexpr const char* kBusAccessKey = "Software\\Varnok\\BusAccess";
inline constexpr const char* kBusAccessParametersKey = "Software\\Varnok\\BusAccess\\Parameters";
inline constexpr const char* kDefaultInterfaceValue = "DefaultInterface";

// What the user picked in the choice dialog.
struct InterfaceChoice {
  std::string name;  // one of the offered interfaces
  std::string connectionParameter;
};

// The dialog that ChooseInterface shows: the known interfaces (each with its parameter and
// default flag) and the name to preselect; nothing when the user cancelled.
using InterfaceChoiceDialog = std::function<std::optional<InterfaceChoice>(
    const std::vector<InterfaceInfo>& interfaces, const std::string& currentName)>;

// The interfaces are the drivers registered with the component, in their order. An interface's
// parameter is the one stored for it, else the driver's default parameter. Thread-safe.
class DriverInterfaceChooser : public BusInterfaceChooser {
 public:
  DriverInterfaceChooser(const BusComponent& component, SettingsStore& settings,
                         InterfaceChoiceDialog dialog = {});

  // E_INVALIDARG for a name no driver has; E_FAIL when the store cannot be written.
  HRESULT SetDefaultInterface(const std::string& name) override;
  // The stored default; without one (or when its driver is gone) the first registered
  // interface. E_FAIL when no driver is registered.
  HRESULT GetDefaultInterface(InterfaceInfo* info) override;
  // Shows the dialog; the chosen parameter is stored for the chosen interface. E_FAIL without
  // a dialog (a headless program) or when the dialog names an unknown interface.
  HRESULT ChooseInterface(const std::string& currentName, std::int32_t options,
                          InterfaceInfo* info) override;

  // The known interfaces with their parameters and default flags.
  std::vector<InterfaceInfo> Interfaces();
  // Stores the connection parameter of an interface; false for an unknown name or when the
  // store cannot be written.
  bool SetConnectionParameter(const std::string& name, const std::string& parameter);

 private:
  std::optional<InterfaceInfo> Find(const std::string& name);

  const BusComponent& m_component;
  SettingsStore& m_settings;
  InterfaceChoiceDialog m_dialog;
};
