// The codec over group items: time stamp and quality on decoding, day names of the language.
#include "bus/group_value_codec.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/current_language.h"
#include "project/group_item.h"
#include "project/group_node.h"

namespace {

class GroupValueCodecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(LoadLanguage(0, &error)) << error;
  }
  GroupItem& Item(const char* type) {
    items.push_back(CreateGroupItem("1/2/3", "", type, 3, root, nullptr));
    return *items.back();
  }
  std::recursive_mutex tagLock;
  GroupNode root;
  std::vector<std::unique_ptr<GroupItem>> items;
};

}  // namespace

TEST_F(GroupValueCodecTest, DecodingSetsValueQualityAndTime) {
  GroupItem& item = Item("EIS 5 'Value' (2 Byte)");
  item.m_timestamp = FileTime{};
  EXPECT_TRUE(DecodeGroupValue(tagLock, Variant::Bytes({0x0C, 0x33}), item));
  EXPECT_EQ(item.m_value, Variant::R4(21.5f));
  EXPECT_EQ(item.m_quality, OPC_QUALITY_GOOD);
  EXPECT_GT(item.m_timestamp.ticks, 0u);

  // Data of the wrong length leaves the item bad and empty, with a new time.
  item.m_timestamp = FileTime{};
  EXPECT_FALSE(DecodeGroupValue(tagLock, Variant::Bytes({0x0C}), item));
  EXPECT_TRUE(item.m_value.IsEmpty());
  EXPECT_EQ(item.m_quality, OPC_QUALITY_BAD);
  EXPECT_GT(item.m_timestamp.ticks, 0u);

  // A scalar instead of a byte array is refused the same way.
  EXPECT_FALSE(DecodeGroupValue(tagLock, Variant::UI1(1), Item("EIS 1 'Switching' (1 Bit)")));
}

TEST_F(GroupValueCodecTest, TimeTextsUseTheDayNamesOfTheLanguage) {
  GroupItem& item = Item("EIS 3 'Time' (3 Byte)");
  EXPECT_TRUE(DecodeGroupValue(tagLock, Variant::Bytes({5 * 32 + 7, 30, 0}), item));
  EXPECT_EQ(Utf16ToAnsi(item.m_value.bstrVal()), "Friday 07:30:00");
  EXPECT_EQ(EncodeGroupValue(tagLock, item, item.m_value), Variant::Bytes({5 * 32 + 7, 30, 0}));
  // Without a day the text still round-trips.
  EXPECT_TRUE(DecodeGroupValue(tagLock, Variant::Bytes({23, 59, 58}), item));
  EXPECT_EQ(EncodeGroupValue(tagLock, item, item.m_value), Variant::Bytes({23, 59, 58}));
}

TEST_F(GroupValueCodecTest, SpecialItemsAndUnknownNumbersEncodeToNothing) {
  GroupItem& item = Item("String");
  EXPECT_TRUE(EncodeGroupValue(tagLock, item, Variant::Bstr(u"01.01.001")).IsEmpty());
}
