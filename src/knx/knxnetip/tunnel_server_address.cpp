// Parsing and resolving the "host[:port][,nat]" connection parameter.
#include "knx/knxnetip/tunnel_server_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace knxnetip {

namespace {

// Blanks around the parameter and its parts come easily from settings files and dialogs.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Letters, digits and hyphens in dot-separated labels of 1 to 63 characters, no label starting
// or ending with a hyphen, at most 253 characters in all.
bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = host.find('.', start);
    const std::string_view label =
        host.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
      return false;
    if (!std::all_of(label.begin(), label.end(), [](char c) {
          return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
        }))
      return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

std::optional<TunnelServerText> SplitTunnelServer(std::string_view parameter, std::string* error) {
  TunnelServerText server;
  if (auto comma = parameter.find(','); comma != std::string_view::npos) {
    const std::string_view option = Trimmed(parameter.substr(comma + 1));
    if (option != "nat" && option != "NAT") {
      Fail(error,
           "\"" + std::string(option) + "\" after the comma is no option; the only one is \"nat\"");
      return std::nullopt;
    }
    server.nat = true;
    parameter = parameter.substr(0, comma);
  }
  parameter = Trimmed(parameter);
  std::string_view host = parameter;
  if (auto colon = parameter.rfind(':'); colon != std::string_view::npos) {
    host = parameter.substr(0, colon);
    const std::string_view digits = parameter.substr(colon + 1);
    unsigned value = 0;
    auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (failure != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
      Fail(error, "the port \"" + std::string(digits) + "\" is no number from 1 to 65535");
      return std::nullopt;
    }
    server.port = static_cast<std::uint16_t>(value);
  }
  if (host.empty()) {
    Fail(error, "the host is missing: enter host[:port], for example 192.168.1.10:3671");
    return std::nullopt;
  }
  server.host = std::string(host);
  // Digits and dots alone must make an IPv4 address; anything else must be a host name.
  const bool numeric = std::all_of(host.begin(), host.end(), [](char c) {
    return c == '.' || std::isdigit(static_cast<unsigned char>(c));
  });
  in_addr address{};
  if (numeric ? inet_pton(AF_INET, server.host.c_str(), &address) != 1 : !IsHostName(host)) {
    Fail(error, "the host \"" + server.host + "\" is neither an IPv4 address nor a host name");
    return std::nullopt;
  }
  server.hostIsAddress = numeric;
  return server;
}

std::optional<TunnelServer> ParseTunnelServer(std::string_view parameter) {
  const std::optional<TunnelServerText> text = SplitTunnelServer(parameter);
  if (!text) return std::nullopt;
  TunnelServer server;
  server.nat = text->nat;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(text->host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  std::memcpy(&server.address, found->ai_addr, sizeof(server.address));
  freeaddrinfo(found);
  server.address.sin_port = htons(text->port);
  return server;
}

}  // namespace knxnetip
