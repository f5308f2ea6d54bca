// The device list keeps insertion order, finds and removes records, and tracks presence.
#include "project/device_list.h"

#include <gtest/gtest.h>

TEST(DeviceList, KeepsOrderFindsAndRemoves) {
  DeviceList list;
  for (const char* a : {"01.01.005", "01.01.001", "02.00.010"}) {
    list.Add(std::make_unique<DeviceRecord>(a, nullptr, nullptr));
  }
  ASSERT_EQ(list.Size(), 3u);
  EXPECT_EQ(list.At(0).addressText, "01.01.005");
  EXPECT_EQ(list.At(2).addressText, "02.00.010");
  EXPECT_EQ(list.At(1).state, kDeviceStateUnknown);
  EXPECT_EQ(list.At(1).row, -1);
  EXPECT_EQ(list.Find("01.01.001"), &list.At(1));
  EXPECT_EQ(list.Find("1.1.1"), nullptr);
  list.RemoveAt(0);
  list.RemoveAt(7);  // out of range: nothing happens
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(list.At(0).addressText, "01.01.001");
  list.Clear();
  EXPECT_EQ(list.Size(), 0u);
}

TEST(DeviceList, PresenceMapHasOneBitPerAddress) {
  DeviceList list;
  EXPECT_FALSE(list.IsPresent(0x1105));
  list.MarkPresent(0x1105);
  list.MarkPresent(0xFFFF);
  list.MarkPresent(0);
  EXPECT_TRUE(list.IsPresent(0x1105));
  EXPECT_TRUE(list.IsPresent(0xFFFF));
  EXPECT_TRUE(list.IsPresent(0));
  EXPECT_FALSE(list.IsPresent(0x1104));
  EXPECT_FALSE(list.IsPresent(0x1106));
  EXPECT_FALSE(list.IsPresent(1));
  list.ClearPresence();
  EXPECT_FALSE(list.IsPresent(0x1105));
  EXPECT_FALSE(list.IsPresent(0xFFFF));
}
