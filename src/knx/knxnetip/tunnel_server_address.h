// ParseTunnelServer: the connection parameter "host[:port][,nat]" of the KNXnet/IP interface,
// resolved to an IPv4 endpoint.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace knxnetip {

constexpr std::uint16_t kDefaultPort = 3671;

struct TunnelServer {
  sockaddr_in address{};
  // ",nat": the client sits behind NAT, so its HPAI blocks ask the server to answer to where
  // each datagram came from (0.0.0.0:0) instead of naming the client's own address.
  bool nat = false;
};

// The parts of "host[:port][,nat]", read but not resolved.
struct TunnelServerText {
  std::string host;            // a dotted IPv4 address or a host name
  bool hostIsAddress = false;  // a dotted IPv4 address: nothing to resolve
  std::uint16_t port = kDefaultPort;
  bool nat = false;
};

// The parts, or nothing with `error` (when given) saying in words which part is wrong: an empty
// host, a host that is neither an IPv4 address ("a.b.c.d") nor a host name, a port that is not
// a number from 1 to 65535, an option other than "nat". Fast enough to check as the user types.
std::optional<TunnelServerText> SplitTunnelServer(std::string_view parameter,
                                                  std::string* error = nullptr);

// Empty for a text that SplitTunnelServer refuses, or a host name that does not resolve to an
// IPv4 address.
std::optional<TunnelServer> ParseTunnelServer(std::string_view parameter);

}  // namespace knxnetip
