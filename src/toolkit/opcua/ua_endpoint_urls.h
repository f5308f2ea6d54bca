// UaEndpointUrls: the endpoint URL the server advertises to a client, built from the host name
// the client itself used when the server listens there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class UaEndpointUrls {
 public:
  // `fallback` is advertised when the client's URL names no host the server listens on.
  // `localAddresses`: the IPv4 addresses of this machine (listenAny) in dotted form.
  UaEndpointUrls(std::string fallback, std::uint16_t port, bool listenAny,
                 std::vector<std::string> localAddresses);

  // "opc.tcp://HOST:PORT" with the host of `requestedUrl` (a GetEndpoints' or CreateSession's
  // endpointUrl) when it is one the server can be reached at: on loopback "localhost" and
  // 127.0.0.1; on all interfaces any host name, 127.x.x.x and this machine's addresses. Else the
  // fallback.
  std::string For(std::string_view requestedUrl) const;

  // The IPv4 addresses of the machine's interfaces that are up.
  static std::vector<std::string> InterfaceAddresses();

 private:
  std::string m_fallback;
  std::uint16_t m_port;
  bool m_listenAny;
  std::vector<std::string> m_localAddresses;
};
