// EisType: the type table, the matching of type texts and the choice by EIS number.
#include "project/eis_type.h"

#include <array>

#include "project/group_item.h"

namespace {

constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;
constexpr VARTYPE kStringArray = VT_ARRAY | VT_BSTR;

// Row indices of kTypes.
enum Row : std::size_t {
  kEis1,
  kEis2Position,
  kEis2Control,
  kEis2Value,
  kEis3,
  kEis4,
  kEis5,
  kEis6Percent,
  kEis6Degree,
  kEis7,
  kEis8Position,
  kEis8Control,
  kEis8Scaling,
  kEis9,
  kEis10,
  kEis11,
  kEis12,
  kEis13,
  kEis14,
  kEis15,
  kUncertain1,
  kUncertain2,
  kUncertain3,
  kUncertain4,
  kString,
  kStringArray_,
  kUnknown,
  kRowCount
};

constexpr std::array<EisType, kRowCount> kTypes{{
    {"EIS 1 'Switching' (1 Bit)", 1, 0, 1, VT_BOOL},
    {"EIS 2 'Dimming - position' (1 Bit)", 2, 1, 1, VT_BOOL},
    {"EIS 2 'Dimming - control' (4 Bit)", 2, 2, 4, VT_UI1},
    {"EIS 2 'Dimming - value' (8 Bit)", 2, 3, 8, VT_UI1},
    {"EIS 3 'Time' (3 Byte)", 3, 0, 24, VT_BSTR},
    {"EIS 4 'Date' (3 Byte)", 4, 0, 24, VT_BSTR},
    {"EIS 5 'Value' (2 Byte)", 5, 0, 16, VT_R4},
    {"EIS 6 'Scaling - percent' (8 Bit)", 6, 1, 8, VT_UI1},
    {"EIS 6 'Scaling - degree' (8 Bit)", 6, 2, 8, VT_I2},
    {"EIS 7 'Drive control' (1 Bit)", 7, 0, 1, VT_BOOL},
    {"EIS 8 'Priority - position' (1 Bit)", 8, 1, 1, VT_BOOL},
    {"EIS 8 'Priority - control' (2 Bit)", 8, 2, 2, VT_UI1},
    {"EIS 8 'Scaling - control' (2 Bit)", 8, 0, 2, VT_UI1},
    {"EIS 9 'Float value' (4 Byte)", 9, 0, 32, VT_R4},
    {"EIS 10 '16Bit Counter' (2 Byte)", 10, 0, 16, VT_I2},
    {"EIS 11 '32Bit Counter' (4 Byte)", 11, 0, 32, VT_I4},
    {"EIS 12 'Access' (4 Byte)", 12, 0, 32, VT_BSTR},
    {"EIS 13 'EIB-ASCII-Char' (8 Bit)", 13, 0, 8, VT_UI1},
    {"EIS 14 '8Bit Counter' (8 Bit)", 14, 0, 8, VT_UI1},
    {"EIS 15 'Character String' (14 Byte)", 15, 0, 112, VT_BSTR},
    {"Uncertain (1 Byte)", 0, 0, 8, kByteArray},
    {"Uncertain (2 Byte)", 0, 0, 16, kByteArray},
    {"Uncertain (3 Byte)", 0, 0, 24, kByteArray},
    {"Uncertain (4 Byte)", 0, 0, 32, kByteArray},
    {"String", -1, -1, -1, VT_BSTR},
    {"Array of Strings", -2, -1, -1, kStringArray},
    {"Unknown", 0, 0, 112, kByteArray},
}};

struct Pattern {
  std::string_view text;
  bool whole;  // the whole text must equal the pattern; otherwise the text must begin with it
  Row row;
};

// Compared in this order; the first match decides; no match is "Unknown". "EIS 1 " ends in a blank
// so that the texts of EIS 10 to 15 do not match it.
constexpr std::array<Pattern, 39> kPatterns{{
    {"EIS 1 ", false, kEis1},
    {"EIS 2 'Dimming - p", false, kEis2Position},
    {"EIS 2 'Dimming - c", false, kEis2Control},
    {"EIS 2 'Dimming - v", false, kEis2Value},
    {"EIS 3", false, kEis3},
    {"EIS 4", false, kEis4},
    {"EIS 5", false, kEis5},
    {"EIS 6 'Scaling - p", false, kEis6Percent},
    {"EIS 6 'Scaling - d", false, kEis6Degree},
    {"EIS 7", false, kEis7},
    {"EIS 8 'Priority - p", false, kEis8Position},
    {"EIS 8 'Priority - c", false, kEis8Control},
    {"EIS 9", false, kEis9},
    {"EIS 10", false, kEis10},
    {"EIS 11", false, kEis11},
    {"EIS 12", false, kEis12},
    {"EIS 13", false, kEis13},
    {"EIS 14", false, kEis14},
    {"EIS 15", false, kEis15},
    {"Uncertain (1", false, kUncertain1},
    {"Uncertain (2", false, kUncertain2},
    {"Uncertain (3", false, kUncertain3},
    {"Uncertain (4", false, kUncertain4},
    {"1 Bit", true, kEis1},
    {"2 Bit", true, kEis8Scaling},
    {"4 Bit", true, kEis2Control},
    {"8 Bit", true, kUncertain1},
    {"1 Byte", true, kUncertain1},
    {"16 Bit", true, kUncertain2},
    {"2 Byte", true, kUncertain2},
    {"24 Bit", true, kUncertain3},
    {"3 Byte", true, kUncertain3},
    {"32 Bit", true, kUncertain4},
    {"4 Byte", true, kUncertain4},
    {"112 Bit", true, kEis15},
    {"14 Byte", true, kEis15},
    {"String", true, kString},
    {"Array of Strings", true, kStringArray_},
    // The name that "2 Bit" gets must read back as itself from a saved project; no prefix
    // above covers it.
    {"EIS 8 'Scaling - control' (2 Bit)", true, kEis8Scaling},
}};

// The row of each EIS number whose subtype does not matter (0 where the subtype decides).
constexpr std::array<Row, 16> kRowOfEis{kUnknown, kEis1,  kUnknown, kEis3, kEis4,  kEis5,
                                        kUnknown, kEis7,  kUnknown, kEis9, kEis10, kEis11,
                                        kEis12,   kEis13, kEis14,   kEis15};

void Apply(GroupItem& item, const EisType& type) {
  item.m_typeName = type.name;
  item.m_nativeDataType = type.canonical;
  item.m_size = type.size;
}

}  // namespace

std::span<const EisType> EisTypes() {
  return kTypes;
}

const EisType& UnknownEisType() {
  return kTypes[kUnknown];
}

const EisType& MatchEsfType(std::string_view text) {
  for (const Pattern& p : kPatterns) {
    if (p.whole ? text == p.text : text.starts_with(p.text)) return kTypes[p.row];
  }
  return kTypes[kUnknown];
}

const EisType* EisTypeFromEis(std::int32_t eis, std::int32_t subtype) {
  switch (eis) {
    case 2:
      if (subtype >= 1 && subtype <= 3) return &kTypes[kEis2Position + (subtype - 1)];
      return nullptr;
    case 6:
      if (subtype == 1 || subtype == 2) return &kTypes[kEis6Percent + (subtype - 1)];
      return nullptr;
    case 8:
      if (subtype == 1 || subtype == 2) return &kTypes[kEis8Position + (subtype - 1)];
      return nullptr;
    default:
      if (eis >= 1 && eis <= 15) return &kTypes[kRowOfEis[eis]];
      return &kTypes[kUnknown];
  }
}

void SetTypeFromEsf(GroupItem& item, std::string_view text) {
  const EisType& type = MatchEsfType(text);
  Apply(item, type);
  item.m_eis = type.eis;
  item.m_subtype = type.subtype;
}

void SetTypeFromEis(GroupItem& item, std::int32_t eis, std::int32_t subtype) {
  if (const EisType* type = EisTypeFromEis(eis, subtype)) Apply(item, *type);
}
