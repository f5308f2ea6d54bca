// EisType: the EIS data types of group items, and how a type text or an EIS number picks one.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/variant.h"

class GroupItem;

// One row of the type table.
struct EisType {
  std::string_view name;  // the display name, also written to the project file
  std::int32_t eis;       // 1..15; 0 untyped; -1 "String"; -2 "Array of Strings"
  std::int32_t subtype;   // variants of EIS 2, 6 and 8; -1 for the string types
  std::int32_t size;      // bits on the bus; -1 for the string types
  VARTYPE canonical;      // the value's type towards OPC clients
};

// All rows, in table order (EIS 1 first, "Unknown" last).
std::span<const EisType> EisTypes();
// The "Unknown" row: untyped, 112 bits, byte array.
const EisType& UnknownEisType();

// The row a type text from an ESF export or a project file stands for: known prefixes of the
// EIS texts, whole texts of bit and byte sizes, "Unknown" for anything else.
const EisType& MatchEsfType(std::string_view text);
// The row for an EIS number and subtype; null when EIS 2, 6 or 8 comes with a subtype that
// has no row (the item's type is then left alone); "Unknown" for numbers outside 1..15.
const EisType* EisTypeFromEis(std::int32_t eis, std::int32_t subtype);

// Sets all five type fields of `item` from the matched row.
void SetTypeFromEsf(GroupItem& item, std::string_view text);
// Sets type name, canonical type and size from the pair; EIS number and subtype stay as the
// caller set them.
void SetTypeFromEis(GroupItem& item, std::int32_t eis, std::int32_t subtype);
