// Tests of group address parsing and of the project's address form.
#include <gtest/gtest.h>

#include "project/group_address.h"
#include "project/group_lookup.h"
#include "test_tree.h"

TEST(GroupAddress, ParsesBothFormsAndMasksParts) {
  EXPECT_EQ(ParseGroupAddress("1/2/3"), 0x0A03);
  EXPECT_EQ(ParseGroupAddress("1/515"), 0x0A03);
  EXPECT_EQ(ParseGroupAddress("31/7/255"), 0xFFFF);
  EXPECT_EQ(ParseGroupAddress("40/9/300"), 0x412C);
  EXPECT_EQ(ParseGroupAddress("7"), 0);
  EXPECT_EQ(ParseGroupAddress("1/4095"), (1 << 11) | 0x7FF);
  EXPECT_EQ(ParseGroupAddress("x/y/z"), 0);
  EXPECT_EQ(ParseGroupAddress("2/"), 2 << 11);
}

TEST(GroupAddress, FormatFollowsTheMainGroupOfTheProject) {
  GroupNode root;
  EXPECT_EQ(FormatGroupAddress(root, 0x0A03), "1/515");  // no main group 1

  GroupNode& unnumbered = AddNode(root, "By hand", -1);
  AddNode(unnumbered, "Middle", 2);
  GroupNode& main1 = AddNode(root, "Ground floor", 1);
  EXPECT_EQ(FormatGroupAddress(root, 0x0A03), "1/515");  // main group 1 without middle groups

  AddNode(main1, "Lights", 2);
  EXPECT_EQ(FormatGroupAddress(root, 0x0A03), "1/2/3");
  EXPECT_EQ(FormatGroupAddress(root, 0xFFFF), "31/2047");

  // Only the first node of a number counts.
  GroupNode root2;
  AddNode(root2, "First", 1);
  GroupNode& second = AddNode(root2, "Second", 1);
  AddNode(second, "Middle", 0);
  EXPECT_EQ(FormatGroupAddress(root2, 0x0A03), "1/515");
}
