// The search for tunnelling servers over one UDP socket.
#include "knx/knxnetip/gateway_search.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "knx/knxnetip/posix_udp_socket.h"
#include "knx/knxnetip/search_frames.h"

namespace knxnetip {

sockaddr_in GatewaySearch::StandardGroup() {
  sockaddr_in group{};
  group.sin_family = AF_INET;
  group.sin_addr.s_addr = htonl(0xE0'00'17'0C);  // 224.0.23.12
  group.sin_port = htons(3671);
  return group;
}

GatewaySearch::GatewaySearch() : m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

GatewaySearch::~GatewaySearch() {
  if (m_wake >= 0) close(m_wake);
}

void GatewaySearch::Cancel() {
  m_cancelled = true;
  if (m_wake >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_wake, &one, sizeof one);
  }
}

std::optional<std::vector<FoundGateway>> GatewaySearch::Run(const sockaddr_in& to,
                                                            std::chrono::milliseconds timeout) {
  m_error.clear();
  if (m_cancelled) return std::vector<FoundGateway>{};
  const std::string target = EndpointText(HpaiOf(to));
  // Bound to the address of the route to `to`: the request names it as where to answer.
  PosixUdpSocket socket;
  if (!socket.Open(to)) {
    m_error = "no UDP socket with a route to " + target + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (!socket.Send(EncodeSearchRequest({socket.local()}), HpaiOf(to))) {
    m_error = "the search request to " + target + " could not be sent: " + std::strerror(errno);
    return std::nullopt;
  }

  std::vector<FoundGateway> found;
  const auto end = std::chrono::steady_clock::now() + timeout;
  // Without an eventfd a cancel is seen within a tenth of a second.
  const auto longestWait = std::chrono::milliseconds(m_wake >= 0 ? timeout.count() : 100);
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || m_cancelled) break;
    pollfd waiting[2] = {{socket.fd(), POLLIN, 0}, {m_wake, POLLIN, 0}};
    const int ready =
        poll(waiting, m_wake >= 0 ? 2 : 1, static_cast<int>(std::min(left, longestWait).count()));
    if (ready < 0 && errno != EINTR) {
      m_error = std::string("waiting for answers failed: ") + std::strerror(errno);
      return std::nullopt;
    }
    // Drains what waits, but a flood of datagrams does not stretch the search past its end.
    while (!m_cancelled && std::chrono::steady_clock::now() < end) {
      auto datagram = socket.Receive();
      if (!datagram) break;
      auto response = DecodeSearchResponse(datagram->bytes);
      if (!response || !response->Supports(kFamilyTunnelling)) continue;
      // A server behind NAT (or one that does not know its address) names no endpoint: it
      // takes requests where its answer came from.
      FoundGateway gateway{response->device.friendlyName, response->control,
                           response->device.individualAddress};
      const bool unnamed =
          std::all_of(gateway.control.address.begin(), gateway.control.address.end(),
                      [](std::uint8_t b) { return b == 0; });
      if (unnamed || gateway.control.port == 0) gateway.control = datagram->from;
      const bool known = std::any_of(found.begin(), found.end(), [&](const FoundGateway& g) {
        return g.control == gateway.control;
      });
      if (!known) found.push_back(std::move(gateway));
    }
  }
  return found;
}

std::string EndpointText(const Hpai& endpoint) {
  std::string text;
  for (std::size_t i = 0; i < endpoint.address.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(endpoint.address[i]);
  }
  return text + ':' + std::to_string(endpoint.port);
}

}  // namespace knxnetip
