// zelvox-tool interface [set NAME PARAMETER]: the bus interfaces with their connection
// parameters and the default one, or a new default.
#include "app/tool_command.h"
#include "knx/bus_component.h"
#include "knx/bus_drivers.h"
#include "knx/driver_interface_chooser.h"
#include "platform/code_page.h"
#include "platform/settings_store.h"

int RunInterface(ToolArgs args, std::ostream& out, std::ostream& err) {
  BusComponent component;
  RegisterBusDrivers(component);
  DriverInterfaceChooser chooser(component, SettingsStore::Of(Hive::CurrentUser));

  if (args.empty()) {
    // One line per interface: name, parameter, and "default" for the default one.
    for (const InterfaceInfo& info : chooser.Interfaces()) {
      out << AnsiToUtf8(info.name) << '\t' << AnsiToUtf8(info.connectionParameter) << '\t'
          << (info.isDefault != 0 ? "default" : "") << '\n';
    }
    return kToolOk;
  }
  if (args.size() != 3 || args[0] != "set") {
    err << "zelvox-tool: interface takes no arguments, or set NAME PARAMETER\n";
    return kToolUsage;
  }
  const std::string name = Utf8ToAnsi(args[1]);
  if (!chooser.SetConnectionParameter(name, Utf8ToAnsi(args[2])) ||
      Failed(chooser.SetDefaultInterface(name))) {
    err << "zelvox-tool: no interface \"" << args[1] << "\", or the settings cannot be written\n";
    return kToolFailed;
  }
  return kToolOk;
}
