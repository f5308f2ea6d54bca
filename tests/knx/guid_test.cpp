// Tests of the GUID text form.
#include "knx/guid.h"

#include <gtest/gtest.h>

TEST(Guid, ParsesAndFormatsTheRegistryForm) {
  constexpr Guid kServer = GuidLiteral("{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}");
  static_assert(kServer.data1 == 0x5B1E3A94u && kServer.data4[1] == 0x8E);
  EXPECT_EQ(FormatGuid(kServer), "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26}");
  EXPECT_EQ(kServer.data2, 0x2C7D);
  EXPECT_EQ(kServer.data3, 0x4F60);
  EXPECT_EQ(kServer.data4[0], 0x9A);
  EXPECT_EQ(kServer.data4[7], 0x26);

  // Without braces and in lower case it names the same identifier.
  EXPECT_EQ(ParseGuid("5b1e3a94-2c7d-4f60-9a8e-d3c41f0b7a26"), kServer);
  EXPECT_EQ(FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_TRUE(GUID_NULL.IsNull());
  EXPECT_FALSE(kServer.IsNull());
  EXPECT_NE(kServer, *ParseGuid("{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A27}"));
}

TEST(Guid, RejectsMalformedText) {
  for (const char* text : {
           "",
           "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26",   // missing brace
           "5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26}",   // missing brace
           "(5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26)",  // wrong brackets
           "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A2}",   // short
           "{5B1E3A94-2C7D-4F60-9A8ED-3C41F0B7A26}",  // dash misplaced
           "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A2G}",  // no hex digit
           "{5B1E3A9 -2C7D-4F60-9A8E-D3C41F0B7A26}",  // blank
           "{+B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26}",  // sign
       }) {
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
  }
}
