// GatewaySearch: finds the KNXnet/IP tunnelling servers that answer a search request.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "knx/knxnetip/hpai.h"

namespace knxnetip {

// A tunnelling server that answered: its name (ISO 8859-1, as it sent it), the endpoint that
// takes connection requests and its own individual address.
struct FoundGateway {
  std::string name;
  Hpai control;
  std::uint16_t individualAddress = 0;
};

class GatewaySearch {
 public:
  GatewaySearch();
  ~GatewaySearch();
  GatewaySearch(const GatewaySearch&) = delete;
  GatewaySearch& operator=(const GatewaySearch&) = delete;

  // The KNXnet/IP system setup multicast group and port, where every server listens.
  static sockaddr_in StandardGroup();

  // Sends one search request to `to` (a multicast group or one server) and collects the answers
  // until `timeout` has passed. Servers without the tunnelling service are left out, and a
  // server that answers twice (or on several routes) is listed once, in the order of the first
  // answers. Empty when the request could not be sent; Error() then tells why.
  std::optional<std::vector<FoundGateway>> Run(const sockaddr_in& to,
                                               std::chrono::milliseconds timeout);
  const std::string& Error() const { return m_error; }
  // Any thread: a running Run returns at once with the servers found so far, and so does
  // every later one (a window that is closed mid-search does not wait for the time-out).
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

 private:
  std::string m_error;
  std::atomic<bool> m_cancelled{false};
  int m_wake = -1;  // eventfd that Cancel makes readable; -1 when none could be made
};

// "a.b.c.d:port"
std::string EndpointText(const Hpai& endpoint);

}  // namespace knxnetip
