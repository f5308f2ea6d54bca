// ParseTunnelServer: the connection parameter "host[:port]" of the KNXnet/IP interface, resolved
// to an IPv4 endpoint.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace knxnetip {

constexpr std::uint16_t kDefaultPort = 3671;

// Empty for an empty host, a port that is not a number from 1 to 65535, or a host name that
// does not resolve to an IPv4 address.
std::optional<sockaddr_in> ParseTunnelServer(std::string_view parameter);

}  // namespace knxnetip
