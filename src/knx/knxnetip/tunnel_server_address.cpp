// Parsing and resolving the "host[:port][,nat]" connection parameter.
#include "knx/knxnetip/tunnel_server_address.h"

#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstring>
#include <string>

namespace knxnetip {

namespace {

// Blanks around the parameter and its parts come easily from settings files and dialogs.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<TunnelServer> ParseTunnelServer(std::string_view parameter) {
  TunnelServer server;
  if (auto comma = parameter.find(','); comma != std::string_view::npos) {
    const std::string_view option = Trimmed(parameter.substr(comma + 1));
    if (option != "nat" && option != "NAT") return std::nullopt;
    server.nat = true;
    parameter = parameter.substr(0, comma);
  }
  parameter = Trimmed(parameter);
  std::string_view host = parameter;
  std::uint16_t port = kDefaultPort;
  if (auto colon = parameter.rfind(':'); colon != std::string_view::npos) {
    host = parameter.substr(0, colon);
    const std::string_view digits = parameter.substr(colon + 1);
    unsigned value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
      return std::nullopt;
    }
    port = static_cast<std::uint16_t>(value);
  }
  if (host.empty()) return std::nullopt;

  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(std::string(host).c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  std::memcpy(&server.address, found->ai_addr, sizeof(server.address));
  freeaddrinfo(found);
  server.address.sin_port = htons(port);
  return server;
}

}  // namespace knxnetip
