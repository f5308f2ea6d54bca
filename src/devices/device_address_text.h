// CheckDeviceAddressText: the strict check of a device address typed by a user or a client.
#pragma once

#include <optional>
#include <string_view>

#include "knx/physical_address.h"

// Accepts "area.line.device" with one to two digits and at most 15 for area and line, one to
// three digits and at most 255 for the device: "1.1.5" and "01.01.005" give 0x1105. Texts with
// fewer than two dots, longer or larger parts ("001.1.5", "16.1.5", "1.1.256"), and parts that
// are empty or hold anything but digits ("1..5", "a.1.5", "-1.1.5", "1.2.3.4") give nothing.
std::optional<PhysicalAddress> CheckDeviceAddressText(std::string_view text);
