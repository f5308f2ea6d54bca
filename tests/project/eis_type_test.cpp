// Tests of the EIS type table, the matching of type texts and the choice by EIS number.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "project/eis_type.h"
#include "project/eis_type_command.h"
#include "test_tree.h"

namespace {

std::string NameOf(std::string_view text) {
  return std::string(MatchEsfType(text).name);
}

}  // namespace

TEST(EisType, EveryPatternPicksItsRow) {
  struct Case {
    const char* text;
    const char* name;
  };
  const Case cases[] = {
      {"EIS 1 whatever follows", "EIS 1 'Switching' (1 Bit)"},
      {"EIS 2 'Dimming - p", "EIS 2 'Dimming - position' (1 Bit)"},
      {"EIS 2 'Dimming - c", "EIS 2 'Dimming - control' (4 Bit)"},
      {"EIS 2 'Dimming - v", "EIS 2 'Dimming - value' (8 Bit)"},
      {"EIS 3xyz", "EIS 3 'Time' (3 Byte)"},
      {"EIS 4", "EIS 4 'Date' (3 Byte)"},
      {"EIS 5 'Value' (2 Byte)", "EIS 5 'Value' (2 Byte)"},
      {"EIS 6 'Scaling - p", "EIS 6 'Scaling - percent' (8 Bit)"},
      {"EIS 6 'Scaling - d", "EIS 6 'Scaling - degree' (8 Bit)"},
      {"EIS 7", "EIS 7 'Drive control' (1 Bit)"},
      {"EIS 8 'Priority - p", "EIS 8 'Priority - position' (1 Bit)"},
      {"EIS 8 'Priority - c", "EIS 8 'Priority - control' (2 Bit)"},
      {"EIS 9", "EIS 9 'Float value' (4 Byte)"},
      {"EIS 10 '16Bit Counter' (2 Byte)", "EIS 10 '16Bit Counter' (2 Byte)"},
      {"EIS 11", "EIS 11 '32Bit Counter' (4 Byte)"},
      {"EIS 12", "EIS 12 'Access' (4 Byte)"},
      {"EIS 13", "EIS 13 'EIB-ASCII-Char' (8 Bit)"},
      {"EIS 14", "EIS 14 '8Bit Counter' (8 Bit)"},
      {"EIS 15", "EIS 15 'Character String' (14 Byte)"},
      {"Uncertain (1", "Uncertain (1 Byte)"},
      {"Uncertain (2", "Uncertain (2 Byte)"},
      {"Uncertain (3", "Uncertain (3 Byte)"},
      {"Uncertain (4", "Uncertain (4 Byte)"},
      {"1 Bit", "EIS 1 'Switching' (1 Bit)"},
      {"2 Bit", "EIS 8 'Scaling - control' (2 Bit)"},
      {"4 Bit", "EIS 2 'Dimming - control' (4 Bit)"},
      {"8 Bit", "Uncertain (1 Byte)"},
      {"1 Byte", "Uncertain (1 Byte)"},
      {"16 Bit", "Uncertain (2 Byte)"},
      {"2 Byte", "Uncertain (2 Byte)"},
      {"24 Bit", "Uncertain (3 Byte)"},
      {"3 Byte", "Uncertain (3 Byte)"},
      {"32 Bit", "Uncertain (4 Byte)"},
      {"4 Byte", "Uncertain (4 Byte)"},
      {"112 Bit", "EIS 15 'Character String' (14 Byte)"},
      {"14 Byte", "EIS 15 'Character String' (14 Byte)"},
      {"String", "String"},
      {"Array of Strings", "Array of Strings"},
      // Traps: only the listed prefixes, exact case, whole texts only where whole.
      {"EIS 1", "Unknown"},
      {"EIS 1'Switching'", "Unknown"},
      {"EIS 2 'Dimming - x", "Unknown"},
      {"EIS 6 'Scaling'", "Unknown"},
      {"EIS 8 'Scaling - control' (2 Bit) ", "Unknown"},
      {"EIS 8 'Scaling - c", "Unknown"},
      {"eis 5", "Unknown"},
      {"2 Bits", "Unknown"},
      {"Strings", "Unknown"},
      {"EIS", "Unknown"},
      {"", "Unknown"},
      {"Unknown", "Unknown"},
      {"EIS 16", "Unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(NameOf(c.text), c.name) << "text: " << c.text;
}

TEST(EisType, RowsCarryTheirFieldsAndEveryNameReadsBackAsItself) {
  const EisType& fourBit = MatchEsfType("4 Bit");
  EXPECT_EQ(fourBit.eis, 2);
  EXPECT_EQ(fourBit.subtype, 2);
  EXPECT_EQ(fourBit.size, 4);
  EXPECT_EQ(fourBit.canonical, VT_UI1);
  const EisType& twoBit = MatchEsfType("2 Bit");
  EXPECT_EQ(twoBit.eis, 8);
  EXPECT_EQ(twoBit.subtype, 0);
  EXPECT_EQ(twoBit.size, 2);
  const EisType& byte = MatchEsfType("8 Bit");
  EXPECT_EQ(byte.eis, 0);
  EXPECT_EQ(byte.size, 8);
  EXPECT_EQ(byte.canonical, VT_ARRAY | VT_UI1);
  const EisType& unknown = MatchEsfType("");
  EXPECT_EQ(unknown.eis, 0);
  EXPECT_EQ(unknown.size, 112);
  EXPECT_EQ(&unknown, &UnknownEisType());
  EXPECT_EQ(MatchEsfType("EIS 11").canonical, VT_I4);
  EXPECT_EQ(MatchEsfType("EIS 15").size, 112);
  EXPECT_EQ(MatchEsfType("Array of Strings").canonical, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(MatchEsfType("String").size, -1);

  // A saved project names types by these texts; each must come back as the same row.
  ASSERT_EQ(EisTypes().size(), 27u);
  for (const EisType& type : EisTypes()) {
    EXPECT_EQ(&MatchEsfType(type.name), &type) << type.name;
  }
  GroupItem item;
  SetTypeFromEsf(item, "EIS 6 'Scaling - degree' (8 Bit)");
  EXPECT_EQ(item.m_typeName, "EIS 6 'Scaling - degree' (8 Bit)");
  EXPECT_EQ(item.m_eis, 6);
  EXPECT_EQ(item.m_subtype, 2);
  EXPECT_EQ(item.m_size, 8);
  EXPECT_EQ(item.m_nativeDataType, VT_I2);
}

TEST(EisType, SetTypeFromEisPicksRowsOrLeavesTheTypeAlone) {
  for (const EisType& type : EisTypes()) {
    if (type.eis < 1) continue;
    GroupItem item;
    SetTypeFromEis(item, type.eis, type.subtype);
    // EIS 8 subtype 0 ("Scaling - control") cannot be chosen by number.
    if (type.eis == 8 && type.subtype == 0) {
      EXPECT_EQ(item.m_typeName, "");
      continue;
    }
    EXPECT_EQ(item.m_typeName, type.name);
    EXPECT_EQ(item.m_size, type.size);
    EXPECT_EQ(item.m_nativeDataType, type.canonical);
  }
  GroupItem item;
  SetTypeFromEis(item, 9, 7);  // the subtype does not matter for EIS 9
  EXPECT_EQ(item.m_typeName, "EIS 9 'Float value' (4 Byte)");

  // An unknown variant leaves name, canonical type and size, not the numbers.
  SetTypeFromEsf(item, "EIS 5 'Value' (2 Byte)");
  item.m_eis = 6;
  item.m_subtype = 3;
  SetTypeFromEis(item, 6, 3);
  EXPECT_EQ(item.m_typeName, "EIS 5 'Value' (2 Byte)");
  EXPECT_EQ(item.m_nativeDataType, VT_R4);
  EXPECT_EQ(item.m_size, 16);
  EXPECT_EQ(item.m_eis, 6);
  EXPECT_EQ(item.m_subtype, 3);
  for (auto [eis, subtype] : {std::pair{2, 0}, {2, 4}, {6, 0}, {8, 0}, {8, 3}}) {
    SetTypeFromEis(item, eis, subtype);
  }
  EXPECT_EQ(item.m_typeName, "EIS 5 'Value' (2 Byte)");

  for (int eis : {0, -1, -2, 16}) {
    GroupItem other;
    SetTypeFromEis(other, eis, 0);
    EXPECT_EQ(other.m_typeName, "Unknown") << eis;
    EXPECT_EQ(other.m_size, 112);
    EXPECT_EQ(other.m_nativeDataType, VT_ARRAY | VT_UI1);
  }
}

TEST(EisType, TypeCommandsMapToPairs) {
  EXPECT_EQ(EisTypeCommands().size(), 20u);
  const auto eis2Value = EisTypeCommand(32783);
  ASSERT_TRUE(eis2Value);
  EXPECT_EQ(eis2Value->eis, 2);
  EXPECT_EQ(eis2Value->subtype, 3);
  const auto untyped = EisTypeCommand(32856);
  ASSERT_TRUE(untyped);
  EXPECT_EQ(untyped->eis, 0);
  EXPECT_EQ(EisTypeCommand(32774)->eis, 3);
  EXPECT_EQ(EisTypeCommand(32790)->subtype, 2);
  EXPECT_EQ(EisTypeCommand(32797)->eis, 15);
  EXPECT_FALSE(EisTypeCommand(32773));
  EXPECT_FALSE(EisTypeCommand(32771));
  // Every pair of a command names a row (or untyped "Unknown").
  for (const auto& entry : EisTypeCommands()) {
    EXPECT_NE(EisTypeFromEis(entry.eis, entry.subtype), nullptr) << entry.command;
  }
}
