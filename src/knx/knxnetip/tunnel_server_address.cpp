// Parsing and resolving the "host[:port]" connection parameter.
#include "knx/knxnetip/tunnel_server_address.h"

#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstring>
#include <string>

namespace knxnetip {

std::optional<sockaddr_in> ParseTunnelServer(std::string_view parameter) {
  // Blanks around the parameter come easily from settings files and dialogs.
  while (!parameter.empty() && parameter.front() == ' ') parameter.remove_prefix(1);
  while (!parameter.empty() && parameter.back() == ' ') parameter.remove_suffix(1);
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
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof(address));
  freeaddrinfo(found);
  address.sin_port = htons(port);
  return address;
}

}  // namespace knxnetip
