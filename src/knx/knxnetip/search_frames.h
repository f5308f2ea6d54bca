// SearchRequest and SearchResponse: finding KNXnet/IP servers, their device information and the
// service families they support.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"

namespace knxnetip {

constexpr std::uint8_t kDeviceInfoSize = 54;
constexpr std::size_t kFriendlyNameSize = 30;

enum ServiceFamilyId : std::uint8_t {
  kFamilyCore = 0x02,
  kFamilyDeviceManagement = 0x03,
  kFamilyTunnelling = 0x04,
  kFamilyRouting = 0x05,
};

struct ServiceFamily {
  std::uint8_t id = 0;
  std::uint8_t version = 0;

  bool operator==(const ServiceFamily&) const = default;
};

// The device information block of a server.
struct DeviceInfo {
  std::uint8_t medium = 0x02;  // TP1
  std::uint8_t status = 0;     // bit 0: programming mode
  std::uint16_t individualAddress = 0;
  std::uint16_t projectInstallation = 0;
  std::array<std::uint8_t, 6> serialNumber{};
  std::array<std::uint8_t, 4> multicastAddress{};
  std::array<std::uint8_t, 6> macAddress{};
  // ISO 8859-1, at most 30 bytes; the block pads it with NULs.
  std::string friendlyName;

  bool operator==(const DeviceInfo&) const = default;
};

// Asks every server that receives it to answer to `discovery`.
struct SearchRequest {
  Hpai discovery;
};

struct SearchResponse {
  Hpai control;  // where the server takes connection requests
  DeviceInfo device;
  std::vector<ServiceFamily> families;

  bool Supports(std::uint8_t family) const;
};

Bytes EncodeSearchRequest(const SearchRequest& request);
Bytes EncodeSearchResponse(const SearchResponse& response);
// Decode a whole datagram (header included). Empty for a frame of another service, a bad header,
// a block whose length runs past the frame or does not fit its type, or a response without its
// device information or service families. Description blocks of other types are skipped.
std::optional<SearchRequest> DecodeSearchRequest(ByteView datagram);
std::optional<SearchResponse> DecodeSearchResponse(ByteView datagram);

}  // namespace knxnetip
