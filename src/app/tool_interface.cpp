// zelvox-tool interface [set NAME PARAMETER | search [--timeout SECONDS] [--to HOST:PORT]]: the
// bus interfaces with their connection parameters and the default one, a new default, or the
// KNXnet/IP tunnelling servers that answer a search.
#include <charconv>
#include <chrono>

#include "app/tool_command.h"
#include "knx/bus_component.h"
#include "knx/bus_drivers.h"
#include "knx/driver_interface_chooser.h"
#include "knx/knxnetip/gateway_search.h"
#include "knx/knxnetip/tunnel_server_address.h"
#include "platform/code_page.h"
#include "platform/settings_store.h"

namespace {

constexpr double kDefaultSearchSeconds = 3.0;
constexpr double kLongestSearchSeconds = 60.0;

// A server's name as one field of a TAB-separated line: control characters (a TAB or line end
// in the name would break the line apart) become blanks.
std::string NameField(const std::string& name) {
  std::string text = AnsiToUtf8(name);
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return text;
}

int RunSearch(ToolArgs args, std::ostream& out, std::ostream& err) {
  double seconds = kDefaultSearchSeconds;
  sockaddr_in to = knxnetip::GatewaySearch::StandardGroup();
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size() || (args[i] != "--timeout" && args[i] != "--to")) {
      err << "zelvox-tool: interface search takes --timeout SECONDS and --to HOST:PORT\n";
      return kToolUsage;
    }
    const std::string_view value = args[i + 1];
    if (args[i] == "--timeout") {
      auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (error != std::errc() || end != value.data() + value.size() || !(seconds > 0) ||
          seconds > kLongestSearchSeconds) {
        err << "zelvox-tool: the time-out \"" << value << "\" is no number of seconds above 0 "
            << "and up to " << kLongestSearchSeconds << "\n";
        return kToolUsage;
      }
    } else {
      auto server = knxnetip::ParseTunnelServer(value);
      if (!server || server->nat) {
        err << "zelvox-tool: \"" << value
            << "\" is no HOST[:PORT] with an IPv4 host and a port from 1 to 65535\n";
        return kToolUsage;
      }
      to = server->address;
    }
  }

  knxnetip::GatewaySearch search;
  const auto timeout =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds));
  auto found = search.Run(to, timeout);
  if (!found) {
    err << "zelvox-tool: " << search.Error() << '\n';
    return kToolFailed;
  }
  if (found->empty()) {
    err << "zelvox-tool: no KNXnet/IP tunnelling server answered within " << seconds << " s\n";
    return kToolFailed;
  }
  // One line per server: name, endpoint, individual address.
  for (const knxnetip::FoundGateway& gateway : *found) {
    out << NameField(gateway.name) << '\t' << knxnetip::EndpointText(gateway.control) << '\t'
        << ((gateway.individualAddress >> 12) & 0x0F) << '.'
        << ((gateway.individualAddress >> 8) & 0x0F) << '.' << (gateway.individualAddress & 0xFF)
        << '\n';
  }
  return kToolOk;
}

}  // namespace

int RunInterface(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args[0] == "search") return RunSearch(args.subspan(1), out, err);

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
    err << "zelvox-tool: interface takes no arguments, set NAME PARAMETER, or search\n";
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
