// UaEndpointUrls: the host of a client's endpoint URL, checked against where the server listens.
#include "toolkit/opcua/ua_endpoint_urls.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kScheme = "opc.tcp://";
constexpr std::size_t kMaxHostLength = 253;

bool IsIpv4(std::string_view host) {
  in_addr address{};
  return inet_pton(AF_INET, std::string(host).c_str(), &address) == 1;
}

bool IsLoopbackIpv4(std::string_view host) {
  in_addr address{};
  return inet_pton(AF_INET, std::string(host).c_str(), &address) == 1 &&
         (ntohl(address.s_addr) >> 24) == 127;
}

// A DNS name: letters, digits, '-' and '.', labels not starting with '-'.
bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostLength || host.front() == '-' || host.front() == '.') {
    return false;
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
  });
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The host of "opc.tcp://HOST[:PORT][/PATH]"; empty when the URL has none.
std::string_view HostOf(std::string_view url) {
  if (url.size() < kScheme.size() || !EqualNoCase(url.substr(0, kScheme.size()), kScheme)) {
    return {};
  }
  url.remove_prefix(kScheme.size());
  return url.substr(0, url.find_first_of(":/"));
}

}  // namespace

UaEndpointUrls::UaEndpointUrls(std::string fallback, std::uint16_t port, bool listenAny,
                               std::vector<std::string> localAddresses)
    : m_fallback(std::move(fallback)),
      m_port(port),
      m_listenAny(listenAny),
      m_localAddresses(std::move(localAddresses)) {}

std::string UaEndpointUrls::For(std::string_view requestedUrl) const {
  std::string_view host = HostOf(requestedUrl);
  bool reachable = false;
  if (IsIpv4(host)) {
    // Bound to 127.0.0.1 only, or to every address (the loopback net's included).
    reachable = host == "127.0.0.1" || (m_listenAny && IsLoopbackIpv4(host)) ||
                (m_listenAny && std::find(m_localAddresses.begin(), m_localAddresses.end(), host) !=
                                    m_localAddresses.end());
  } else if (IsHostName(host)) {
    reachable = m_listenAny || EqualNoCase(host, "localhost");
  }
  if (!reachable) return m_fallback;
  return std::string(kScheme) + std::string(host) + ":" + std::to_string(m_port);
}

std::vector<std::string> UaEndpointUrls::InterfaceAddresses() {
  std::vector<std::string> addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !(a->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
    addresses.emplace_back(text);
  }
  freeifaddrs(list);
  return addresses;
}
