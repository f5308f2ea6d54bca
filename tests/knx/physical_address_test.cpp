// Physical address parsing with every error code, and the zero-padded text form.
#include "knx/physical_address.h"

#include <gtest/gtest.h>

TEST(PhysicalAddress, ParsesValidTextsAndFormatsThemPadded) {
  EXPECT_EQ(ParsePhysicalAddress("1.1.5"), 0x1105);
  EXPECT_EQ(FormatPhysicalAddress(0x1105), "01.01.005");
  EXPECT_EQ(ParsePhysicalAddress("15.15.255"), 0xFFFF);
  EXPECT_EQ(FormatPhysicalAddress(0xFFFF), "15.15.255");
  EXPECT_EQ(ParsePhysicalAddress("01.01.005"), 0x1105);
  EXPECT_EQ(ParsePhysicalAddress("0.0.0"), 0);
  // The line part of 1.2.3.4 is "2.3", which reads as 2.
  EXPECT_EQ(ParsePhysicalAddress("1.2.3.4"), 0x1204);
  // Parts that are no number read as 0.
  EXPECT_EQ(ParsePhysicalAddress("a.b.c"), 0);
  EXPECT_EQ(ParsePhysicalAddress(" 1.x.7"), 0x1007);
}

TEST(PhysicalAddress, ReportsEveryErrorCode) {
  EXPECT_EQ(ParsePhysicalAddress("1.5"), kPhysicalAddressNoDots);
  EXPECT_EQ(ParsePhysicalAddress("115"), kPhysicalAddressNoDots);
  EXPECT_EQ(ParsePhysicalAddress(""), kPhysicalAddressNoDots);
  EXPECT_EQ(ParsePhysicalAddress("16.1.5"), kPhysicalAddressBadArea);
  EXPECT_EQ(ParsePhysicalAddress("1.16.5"), kPhysicalAddressBadLine);
  EXPECT_EQ(ParsePhysicalAddress("1.1.256"), kPhysicalAddressBadDevice);
  // The area is tested before the line and the device.
  EXPECT_EQ(ParsePhysicalAddress("99.99.999"), kPhysicalAddressBadArea);
  EXPECT_EQ(ParsePhysicalAddress("99999999999999999999.1.1"), kPhysicalAddressBadArea);
}

TEST(PhysicalAddress, NegativePartsAlwaysGiveAnInvalidResult) {
  for (const char* text : {"-1.1.5", "1.-1.5", "1.1.-5", "-0.0.-1", "-99999999999.1.1",
                           "1.-99999999999.1", "1.1.-99999999999"}) {
    EXPECT_LT(ParsePhysicalAddress(text), 0) << text;
  }
}

TEST(PhysicalAddress, TheRulesDifferOnlyWhereTheirReadersNeedIt) {
  // Digits: typed addresses and driver parameters.
  EXPECT_EQ(ParsePhysicalAddress("1.1.5", AddressPartRule::Digits), 0x1105);
  EXPECT_EQ(ParsePhysicalAddress("01.01.005", AddressPartRule::Digits), 0x1105);
  EXPECT_EQ(ParsePhysicalAddress("001.1.5", AddressPartRule::Digits), kPhysicalAddressBadArea);
  EXPECT_EQ(ParsePhysicalAddress("1..5", AddressPartRule::Digits), kPhysicalAddressBadLine);
  EXPECT_EQ(ParsePhysicalAddress("1.2.3.4", AddressPartRule::Digits), kPhysicalAddressBadLine);
  EXPECT_EQ(ParsePhysicalAddress("1.1.", AddressPartRule::Digits), kPhysicalAddressBadDevice);
  EXPECT_EQ(ParsePhysicalAddress(" 1.1.5", AddressPartRule::Digits), kPhysicalAddressBadArea);
  EXPECT_EQ(ParsePhysicalAddress("-1.1.5", AddressPartRule::Digits), kPhysicalAddressBadArea);
  // AtoiShort: device file lines; parts read as atoi, but no longer than 2, 2 and 3.
  EXPECT_EQ(ParsePhysicalAddress("a.1.5", AddressPartRule::AtoiShort), 0x0105);
  EXPECT_EQ(ParsePhysicalAddress("001.1.5", AddressPartRule::AtoiShort), kPhysicalAddressBadArea);
  EXPECT_EQ(ParsePhysicalAddress("1.1.0005", AddressPartRule::AtoiShort),
            kPhysicalAddressBadDevice);
  EXPECT_EQ(ParsePhysicalAddress("001.1.5"), 0x1105);
}

TEST(PhysicalAddress, ANegativePartIsNeverMistakenForAnotherError) {
  // Combining -1 with line 15 and device 255 used to give -1, "fewer than two dots".
  for (auto rule : {AddressPartRule::Atoi, AddressPartRule::AtoiShort}) {
    EXPECT_EQ(ParsePhysicalAddress("-1.15.255", rule), kPhysicalAddressNegativePart);
    EXPECT_EQ(ParsePhysicalAddress("1.1.-5", rule), kPhysicalAddressNegativePart);
  }
}
