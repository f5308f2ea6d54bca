// The 2-byte float: rounding, mantissa truncation, saturation, the -0 rule and decoding.
#include "bus/eis5_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
std::array<std::uint8_t, 2> B(std::uint8_t h, std::uint8_t l) {
  return {h, l};
}
}  // namespace

TEST(Eis5Float, EncodesTheDocumentedExamples) {
  EXPECT_EQ(EncodeEis5(21.5), B(0x0C, 0x33));
  EXPECT_EQ(EncodeEis5(-5.0), B(0x86, 0x0C));
  EXPECT_EQ(EncodeEis5(20.48), B(0x0C, 0x00));
  EXPECT_EQ(EncodeEis5(-20.49), B(0x8C, 0x00));
  EXPECT_EQ(EncodeEis5(0.0), B(0x00, 0x00));
  EXPECT_EQ(EncodeEis5(20.47), B(0x07, 0xFF));
  EXPECT_EQ(EncodeEis5(-20.48), B(0x80, 0x00));  // mantissa -2048 fits in eleven bits plus sign
  EXPECT_EQ(EncodeEis5(0.01), B(0x00, 0x01));
  EXPECT_EQ(EncodeEis5(-0.01), B(0x87, 0xFF));
}

TEST(Eis5Float, TinyValuesAreZeroWithoutSignAndHugeOnesSaturate) {
  EXPECT_EQ(EncodeEis5(0.004), B(0x00, 0x00));
  EXPECT_EQ(EncodeEis5(-0.004), B(0x00, 0x00));
  EXPECT_EQ(EncodeEis5(1000000.0), B(0x7F, 0xFF));
  EXPECT_EQ(EncodeEis5(-1000000.0), B(0xF8, 0x00));
  EXPECT_EQ(EncodeEis5(670760.96), B(0x7F, 0xFF));
  EXPECT_EQ(EncodeEis5(-671088.64), B(0xF8, 0x00));
  EXPECT_EQ(EncodeEis5(1e300), B(0x7F, 0xFF));
  EXPECT_EQ(EncodeEis5(-std::numeric_limits<double>::infinity()), B(0xF8, 0x00));
  EXPECT_EQ(EncodeEis5(std::numeric_limits<double>::quiet_NaN()), B(0x7F, 0xFF));
}

TEST(Eis5Float, DecodesSignedMantissaAndExponent) {
  EXPECT_DOUBLE_EQ(DecodeEis5(0x0C, 0x33), 21.5);
  EXPECT_DOUBLE_EQ(DecodeEis5(0x8C, 0x00), -20.48);
  EXPECT_DOUBLE_EQ(DecodeEis5(0x07, 0xFF), 20.47);
  EXPECT_DOUBLE_EQ(DecodeEis5(0xF8, 0x00), -671088.64);
  EXPECT_DOUBLE_EQ(DecodeEis5(0x7F, 0xFF), 670760.96);
  EXPECT_DOUBLE_EQ(DecodeEis5(0x86, 0x0C), -5.0);
  // Every code decodes to a value that encodes back to the same code, except the
  // non-normalised ones that have a shorter form.
  for (int code = 0; code < 0x10000; ++code) {
    const auto h = static_cast<std::uint8_t>(code >> 8), l = static_cast<std::uint8_t>(code);
    const double v = DecodeEis5(h, l);
    EXPECT_DOUBLE_EQ(DecodeEis5(EncodeEis5(v)[0], EncodeEis5(v)[1]), v) << std::hex << code;
  }
}
