// Conversion between the system's Variants and UA Variants, and the UA data type of a VARTYPE.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/variant.h"
#include "toolkit/opcua/ua_types.h"

// VT_ARRAY|VT_UI1 is served as a scalar ByteString: the raw bytes of an untyped group value.
// Other arrays are one-dimensional arrays of their element type.
UaVariant ToUaVariant(const Variant& value);
// The same into `out`, reusing its buffers.
void ToUaVariant(const Variant& value, UaVariant& out);
// The UA Variant as a Variant for WriteTag; nullopt when no VARTYPE fits it.
std::optional<Variant> FromUaVariant(const UaVariant& value);

// The DataType node id (ns 0) and ValueRank that clients see for a canonical type.
std::uint32_t UaDataTypeOf(VARTYPE vt);
std::int32_t UaValueRankOf(VARTYPE vt);

// OLE Automation dates (days since 1899-12-30) and UA DateTimes.
UaDateTime OleDateToUa(double date);
double UaToOleDate(UaDateTime t);
