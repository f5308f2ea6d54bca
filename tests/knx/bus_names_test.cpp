// Tests of the names of the bus component's codes.
#include <gtest/gtest.h>

#include <string>

#include "knx/apci_code.h"
#include "knx/bus_errors.h"
#include "knx/priority_code.h"

TEST(BusNames, PriorityNamesAndUnknownCodes) {
  EXPECT_STREQ(PriorityName(0), "PrioritySystem");
  EXPECT_STREQ(PriorityName(1), "PriorityHigh");
  EXPECT_STREQ(PriorityName(2), "PriorityAlarm");
  EXPECT_STREQ(PriorityName(3), "PriorityLow");
  EXPECT_STREQ(PriorityName(4), "unknown");
  EXPECT_STREQ(PriorityName(-1), "unknown");
}

TEST(BusNames, ApciNamesFollowTheirCodes) {
  const std::pair<std::int32_t, const char*> kCodes[] = {
      {0x000, "APciValueRead"},
      {0x040, "APciValueResponse"},
      {0x080, "APciValueWrite"},
      {0x0C0, "APciPhysAddrWrite"},
      {0x100, "APciPhysAddrRead"},
      {0x140, "APciPhysAddrResponse"},
      {0x180, "APciADCRead"},
      {0x1C0, "APciADCResponse"},
      {0x200, "APciMemoryRead"},
      {0x240, "APciMemoryResponse"},
      {0x280, "APciMemoryWrite"},
      {0x300, "APciMaskVersionRead"},
      {0x340, "APciMaskVersionResponse"},
      {0x380, "APciRestart"},
      {0x3D1, "APciAuthenticateRequest"},
      {0x3D2, "APciAuthenticateResponse"},
      {0x3D5, "APciPropertyRead"},
      {0x3D6, "APciPropertyResponse"},
      {0x3D7, "APciPropertyWrite"},
      {0x3D8, "APciPropertyDescRead"},
      {0x3D9, "APciPropertyDescResponse"},
      {0xFFFF, "APciInvalid"},
  };
  for (const auto& [code, name] : kCodes) EXPECT_STREQ(ApciName(code), name) << code;
  // Codes between and beside the known ones.
  for (std::int32_t code : {0x001, 0x3C0, 0x3D0, 0x3D3, 0x3DA, 0xFFFE, 0x10000, -1}) {
    EXPECT_STREQ(ApciName(code), "unknown") << code;
  }
}

TEST(BusNames, ErrorNamesAndUnknownCodes) {
  EXPECT_STREQ(DeviceOpenErrorName(0), "DeviceOpenErrorNoError");
  EXPECT_STREQ(DeviceOpenErrorName(2), "DeviceOpenErrorAlreadyOpenWithDifferentLayer");
  EXPECT_STREQ(DeviceOpenErrorName(8), "DeviceOpenErrorUnableToChangeMode");
  EXPECT_STREQ(DeviceOpenErrorName(9), "unknown");
  EXPECT_STREQ(DeviceOpenErrorName(-1), "unknown");
  EXPECT_STREQ(DeviceWriteErrorName(4), "DeviceWriteErrorQueueOverflow");
  EXPECT_STREQ(DeviceWriteErrorName(255), "DeviceWriteErrorUnexpectedError");
  EXPECT_STREQ(DeviceWriteErrorName(5), "unknown");
  EXPECT_STREQ(DeviceWriteErrorName(254), "unknown");
}
