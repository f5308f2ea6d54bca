// Encoding and decoding of SEARCH_REQUEST and SEARCH_RESPONSE frames and their description blocks.
#include "knx/knxnetip/search_frames.h"

#include <algorithm>

#include "knx/knxnetip/knxnetip_header.h"

namespace knxnetip {
namespace {

constexpr std::uint8_t kDibDeviceInfo = 0x01;
constexpr std::uint8_t kDibServiceFamilies = 0x02;

void EncodeDeviceInfo(Bytes& out, const DeviceInfo& device) {
  out.push_back(kDeviceInfoSize);
  out.push_back(kDibDeviceInfo);
  out.push_back(device.medium);
  out.push_back(device.status);
  PutU16(out, device.individualAddress);
  PutU16(out, device.projectInstallation);
  out.insert(out.end(), device.serialNumber.begin(), device.serialNumber.end());
  out.insert(out.end(), device.multicastAddress.begin(), device.multicastAddress.end());
  out.insert(out.end(), device.macAddress.begin(), device.macAddress.end());
  std::array<std::uint8_t, kFriendlyNameSize> name{};
  std::copy_n(device.friendlyName.begin(), std::min(device.friendlyName.size(), name.size()),
              name.begin());
  out.insert(out.end(), name.begin(), name.end());
}

DeviceInfo DecodeDeviceInfo(ByteView dib) {
  DeviceInfo device;
  device.medium = dib[2];
  device.status = dib[3];
  device.individualAddress = GetU16(dib, 4);
  device.projectInstallation = GetU16(dib, 6);
  std::copy_n(dib.begin() + 8, 6, device.serialNumber.begin());
  std::copy_n(dib.begin() + 14, 4, device.multicastAddress.begin());
  std::copy_n(dib.begin() + 18, 6, device.macAddress.begin());
  // The name ends at its first NUL, or after all 30 bytes when it fills the field.
  const auto name = dib.subspan(24, kFriendlyNameSize);
  const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
  device.friendlyName.assign(name.begin(), end);
  return device;
}

}  // namespace

bool SearchResponse::Supports(std::uint8_t family) const {
  return std::any_of(families.begin(), families.end(),
                     [family](const ServiceFamily& f) { return f.id == family; });
}

Bytes EncodeSearchRequest(const SearchRequest& request) {
  Bytes out;
  EncodeHeader(out, ServiceType::SearchRequest, kHpaiSize);
  EncodeHpai(out, request.discovery);
  return out;
}

Bytes EncodeSearchResponse(const SearchResponse& response) {
  Bytes out;
  const std::size_t familiesSize = 2 + 2 * response.families.size();
  EncodeHeader(out, ServiceType::SearchResponse, kHpaiSize + kDeviceInfoSize + familiesSize);
  EncodeHpai(out, response.control);
  EncodeDeviceInfo(out, response.device);
  out.push_back(static_cast<std::uint8_t>(familiesSize));
  out.push_back(kDibServiceFamilies);
  for (const ServiceFamily& family : response.families) {
    out.push_back(family.id);
    out.push_back(family.version);
  }
  return out;
}

std::optional<SearchRequest> DecodeSearchRequest(ByteView datagram) {
  auto header = DecodeHeader(datagram);
  if (!header || header->serviceType != static_cast<std::uint16_t>(ServiceType::SearchRequest) ||
      datagram.size() != kHeaderSize + kHpaiSize) {
    return std::nullopt;
  }
  auto discovery = DecodeHpai(datagram.subspan(kHeaderSize));
  if (!discovery) return std::nullopt;
  return SearchRequest{*discovery};
}

std::optional<SearchResponse> DecodeSearchResponse(ByteView datagram) {
  auto header = DecodeHeader(datagram);
  if (!header || header->serviceType != static_cast<std::uint16_t>(ServiceType::SearchResponse)) {
    return std::nullopt;
  }
  auto body = datagram.subspan(kHeaderSize);
  auto control = DecodeHpai(body);
  if (!control) return std::nullopt;
  SearchResponse response;
  response.control = *control;
  bool haveDevice = false;
  bool haveFamilies = false;
  for (auto rest = body.subspan(kHpaiSize); !rest.empty();) {
    // Every block starts with its length (itself included) and its type.
    if (rest.size() < 2 || rest[0] < 2 || rest[0] > rest.size()) return std::nullopt;
    const auto dib = rest.first(rest[0]);
    rest = rest.subspan(dib.size());
    if (dib[1] == kDibDeviceInfo) {
      if (haveDevice || dib.size() != kDeviceInfoSize) return std::nullopt;
      response.device = DecodeDeviceInfo(dib);
      haveDevice = true;
    } else if (dib[1] == kDibServiceFamilies) {
      if (haveFamilies || dib.size() % 2 != 0) return std::nullopt;
      for (std::size_t i = 2; i < dib.size(); i += 2) {
        response.families.push_back({dib[i], dib[i + 1]});
      }
      haveFamilies = true;
    }
  }
  if (!haveDevice || !haveFamilies) return std::nullopt;
  return response;
}

}  // namespace knxnetip
