// ParseTunnelServer: the connection parameter "host[:port][,nat]" of the KNXnet/IP interface,
// resolved to an IPv4 endpoint.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace knxnetip {

constexpr std::uint16_t kDefaultPort = 3671;

struct TunnelServer {
  sockaddr_in address{};
  // ",nat": the client sits behind NAT, so its HPAI blocks ask the server to answer to where
  // each datagram came from (0.0.0.0:0) instead of naming the client's own address.
  bool nat = false;
};

// Empty for an empty host, a port that is not a number from 1 to 65535, a host name that does
// not resolve to an IPv4 address, or an option other than "nat".
std::optional<TunnelServer> ParseTunnelServer(std::string_view parameter);

}  // namespace knxnetip
