// BusInterfaceChooser: the component's list of bus interfaces, its default one, and the choice.
#pragma once

#include <cstdint>
#include <string>

#include "knx/interface_info.h"
#include "platform/hresult.h"

class BusInterfaceChooser {
 public:
  virtual ~BusInterfaceChooser() = default;

  // Makes the interface with this name (Windows-1252) the component's default.
  virtual HRESULT SetDefaultInterface(const std::string& name) = 0;
  virtual HRESULT GetDefaultInterface(InterfaceInfo* info) = 0;
  // Lets the user choose an interface, `currentName` preselected; the system passes -1 as
  // `options`. An empty info->name means the user cancelled.
  virtual HRESULT ChooseInterface(const std::string& currentName, std::int32_t options,
                                  InterfaceInfo* info) = 0;
};
