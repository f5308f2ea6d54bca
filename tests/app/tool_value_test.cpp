// zelvox-tool encode, decode and pa-parse: exact output, failures and exit codes.
#include <gtest/gtest.h>

#include "run_tool.h"

namespace {

void ExpectOutput(const std::vector<std::string>& args, const std::string& out, int code = 0) {
  const ToolRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, code) << args[0] << ' ' << args[1];
  EXPECT_EQ(run.out, out) << args[0] << ' ' << args[1];
}

}  // namespace

TEST(ToolValues, EncodePrintsBusDataAsAClientWriteWouldSendIt) {
  ExpectOutput({"encode", "EIS 5 'Value' (2 Byte)", "21.5"}, "bytes 0c 33\n");
  ExpectOutput({"encode", "EIS 5 'Value' (2 Byte)", "-1000000"}, "bytes f8 00\n");
  ExpectOutput({"encode", "EIS 1 'Switching' (1 Bit)", "1"}, "ui1 1\n");
  ExpectOutput({"encode", "EIS 6 'Scaling - percent' (8 Bit)", "150"}, "ui1 255\n");
  ExpectOutput({"encode", "EIS 10 '16Bit Counter' (2 Byte)", "-1"}, "i2 -1\n");
  ExpectOutput({"encode", "EIS 11 '32Bit Counter' (4 Byte)", "70000"}, "i4 70000\n");
  ExpectOutput({"encode", "EIS 12 'Access' (4 Byte)", "1234 E:1 P:0 D:1 C:0 I:15"},
               "bytes 00 12 34 af\n");
  ExpectOutput({"encode", "Uncertain (2 Byte)", "ABC"}, "bytes 41 42\n");
  ExpectOutput({"encode", "Unknown", "ABC"}, "bytes 41 42 43 00 00 00 00 00 00 00 00 00 00 00\n");
  ExpectOutput({"encode", "EIS 3 'Time' (3 Byte)", "12:34:56"}, "bytes 0c 22 38\n");
}

TEST(ToolValues, EncodeReportsAFailedConversion) {
  const ToolRun notANumber = RunTool({"encode", "EIS 5 'Value' (2 Byte)", "warm"});
  EXPECT_EQ(notANumber.exitCode, 1);
  EXPECT_EQ(notANumber.out, "");
  EXPECT_EQ(notANumber.err, "error 0x80020005\n");
  const ToolRun tooLarge = RunTool({"encode", "EIS 10 '16Bit Counter' (2 Byte)", "70000"});
  EXPECT_EQ(tooLarge.exitCode, 1);
  EXPECT_EQ(tooLarge.err, "error 0x8002000a\n");
  EXPECT_EQ(RunTool({"encode", "EIS 5"}).exitCode, 2);
}

TEST(ToolValues, DecodePrintsTheValueTextAndQuality) {
  ExpectOutput({"decode", "EIS 5 'Value' (2 Byte)", "0c", "33"}, "21.5000\t192\n");
  ExpectOutput({"decode", "EIS 5 'Value' (2 Byte)", "0c"}, "\t0\n");
  ExpectOutput({"decode", "EIS 1 'Switching' (1 Bit)", "40"}, "TRUE\t192\n");
  ExpectOutput({"decode", "EIS 4 'Date' (3 Byte)", "01", "03", "59"}, "01.03.2089\t192\n");
  ExpectOutput({"decode", "EIS 13 'EIB-ASCII-Char' (8 Bit)", "41"}, "65 ( A )\t192\n");
  ExpectOutput({"decode", "Uncertain (2 Byte)", "01", "02", "03"}, "01 02 03 \t192\n");
  ExpectOutput({"decode", "EIS 3 'Time' (3 Byte)", "a7", "1E", "00"}, "Friday 07:30:00\t192\n");
  ExpectOutput({"decode", "EIS 15 'Character String' (14 Byte)", "48", "e4", "00", "00", "00", "00",
                "00", "00", "00", "00", "00", "00", "00", "00"},
               "H\xC3\xA4\t192\n");
  EXPECT_EQ(RunTool({"decode", "EIS 5", "0c", "3"}).exitCode, 2);
  EXPECT_EQ(RunTool({"decode", "EIS 5", "zz"}).exitCode, 2);
}

TEST(ToolValues, PaParsePrintsValueOrCode) {
  ExpectOutput({"pa-parse", "1.1.5"}, "4357\n");
  ExpectOutput({"pa-parse", "1.1.256"}, "-4\n");
  ExpectOutput({"pa-parse", "115"}, "-1\n");
  EXPECT_EQ(RunTool({"pa-parse"}).exitCode, 2);
}
