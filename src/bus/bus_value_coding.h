// Conversion of a value between its canonical VARIANT and the bus data of an EIS type.
#pragma once

#include <cstdint>

#include "bus/group_value_texts.h"
#include "platform/variant.h"

// The type fields that decide the coding of a group value.
struct EisCoding {
  std::int32_t eis = 0;
  std::int32_t subtype = 0;
  std::int32_t sizeBits = 112;
  VARTYPE canonical = VT_ARRAY | VT_UI1;
};

// The bus data for `value` (normally already of the canonical type; other types are converted
// first, and an unconvertible value gives VT_EMPTY, as does an EIS number outside 0 to 15).
// Percent and degree values are clamped to 0-100 and 0-360 before scaling.
Variant EncodeBusValue(const EisCoding& type, const Variant& value, const DayNames& days);

// Decodes received bus data (VT_ARRAY|VT_UI1) into `out` with the canonical type. Returns
// false, with `out` empty, when the data has the wrong type or length for the EIS type.
bool DecodeBusValue(const EisCoding& type, const Variant& data, const DayNames& days, Variant& out);

// Whether writes of this type travel in the short form (value inside the APCI octet).
bool UsesShortForm(const EisCoding& type);
