// VirtualBusParameter: the connection parameter of the "Virtual bus" interface.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// "key=value" settings separated by ';', blanks around them ignored, each key at most once:
//   name=NAME                       the bus to join (VirtualBus::Named); "" when not given
//   devices=01.01.001,1.1.2         individual addresses that answer a device check
//   answer=1/2/3:0c33,1/2/4:01      group addresses (3-level, 2-level or decimal) whose reads
//                                   are answered with these data bytes (hex, at least one byte)
//   checktimeout=500                milliseconds a check of a silent device takes
// The empty text is a bus named "" with nothing configured.
struct VirtualBusParameter {
  std::string name;
  std::set<std::uint16_t> devices;
  std::map<std::uint16_t, std::vector<std::uint8_t>> answers;
  std::optional<std::chrono::milliseconds> checkTimeout;
};

// Nothing for an unknown or repeated key, or a value that does not read as described.
std::optional<VirtualBusParameter> ParseVirtualBusParameter(std::string_view text);

// "1/2/3" (main 0-31, middle 0-7, sub 0-255), "1/515" (main 0-31, sub 0-2047) or a decimal
// number 0-65535.
std::optional<std::uint16_t> ParseVirtualGroupAddress(std::string_view text);
