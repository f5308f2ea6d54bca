// The group data of a write as the component takes it (Variant) and as it travels (bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/variant.h"

// A VT_ARRAY | VT_UI1 array gives its bytes; VT_UI1, VT_I2 and VT_I4 scalars give their 1, 2
// or 4 bytes most significant first. Any other type gives nothing.
std::optional<std::vector<std::uint8_t>> GroupDataBytes(const Variant& data);

// The data of an event: VT_ARRAY | VT_UI1 with lower bound 0.
Variant GroupDataVariant(const std::vector<std::uint8_t>& bytes);
