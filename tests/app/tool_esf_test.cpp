// Tests of zelvox-tool import-esf, convert-ets4 and dump of an ESF export.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "run_tool.h"

namespace {

std::string Sample(const std::string& name) {
  return std::string(ZELVOX_TEST_DATA) + "/esf/" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ToolEsf : public ::testing::Test {
 protected:
  ToolEsf() {
    char pattern[] = "/tmp/zelvox-esf-XXXXXX";
    dir = mkdtemp(pattern);
  }
  ~ToolEsf() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

}  // namespace

TEST_F(ToolEsf, ImportSavesWhatDumpShowsOfTheExport) {
  const ToolRun dumped = RunTool({"dump", Sample("lang_en.esf")});
  EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
  EXPECT_EQ(
      dumped.out,
      "project\tMiller House\n"
      "node\tGround floor\t1\n"
      "node\tGround floor.Lights\t1\n"
      "item\tGround floor.Lights.1/1/1\tKitchen\tEIS 1 'Switching' (1 Bit)\t2\t0\t1/1/2\t"
      "1/1/2 2/1\n"
      "item\tGround floor.Lights.1/1/2\tKitchen state\tEIS 1 'Switching' (1 Bit)\t2\t0\t1/1/1\t"
      "1/1/1\n"
      "node\tCentral\t2\n"
      "item\tCentral.2/1\tAll off\tEIS 1 'Switching' (1 Bit)\t2\t0\t1/1/1\t\n"
      "device\t01.01.001\n"
      "device\t01.01.002\n"
      "device\t01.01.003\n"
      "counters\t2\t1\t3\t3\n");

  // Saved and read back, the project is the same; stderr is no terminal, so no bar.
  const std::string project = dir + "/miller.zlv";
  const ToolRun imported = RunTool({"import-esf", Sample("lang_en.esf"), project});
  EXPECT_EQ(imported.exitCode, 0);
  EXPECT_EQ(imported.out, "");
  EXPECT_EQ(imported.err, "");
  EXPECT_EQ(ReadAll(dir + "/miller.phd"), "01.01.001\r\n01.01.002\r\n01.01.003\r\n");
  EXPECT_EQ(RunTool({"dump", project}).out, dumped.out);

  // Devices whose malformed addresses the device file cannot hold are named on stderr, one a
  // line after the message.
  const ToolRun leftOut = RunTool({"import-esf", Sample("features_de.esf"), dir + "/features.zlv"});
  EXPECT_EQ(leftOut.exitCode, 0) << leftOut.err;
  EXPECT_NE(leftOut.err.find("save again:\n1.5\n1.5\n16.1.5\n"), std::string::npos) << leftOut.err;
  EXPECT_EQ(ReadAll(dir + "/features.phd"),
            "01.01.005\r\n01.01.006\r\n01.01.007\r\n01.01.009\r\n15.15.255\r\n");
}

TEST_F(ToolEsf, FailedImportsPrintTheMessageAndWriteNothing) {
  const std::string project = dir + "/broken.zlv";
  const ToolRun middle = RunTool({"import-esf", Sample("middle_group_first.esf"), project});
  EXPECT_EQ(middle.exitCode, 1);
  EXPECT_NE(middle.err.find("middle group comes before the first main group"), std::string::npos)
      << middle.err;
  const ToolRun noProject = RunTool({"import-esf", Sample("no_project_line.esf"), project});
  EXPECT_EQ(noProject.exitCode, 1);
  EXPECT_NE(noProject.err.find("no line with the project name"), std::string::npos)
      << noProject.err;
  const ToolRun missing = RunTool({"import-esf", dir + "/none.esf", project});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("none.esf"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(project));

  EXPECT_EQ(RunTool({"dump", Sample("sub_group_first.esf")}).exitCode, 1);
  EXPECT_EQ(RunTool({"import-esf", project}).exitCode, 2);
  EXPECT_EQ(RunTool({"convert-ets4"}).exitCode, 2);
}

TEST_F(ToolEsf, ConvertEts4InPlace) {
  const std::string original = ReadAll(Sample("ets4_utf8.esf"));
  const std::string path = dir + "/export.esf";
  std::ofstream(path, std::ios::binary) << original;
  const ToolRun run = RunTool({"convert-ets4", path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadAll(dir + "/export.ets4backup"), original);
  const ToolRun dumped = RunTool({"dump", path});
  EXPECT_EQ(dumped.exitCode, 0);
  EXPECT_NE(dumped.out.find("node\t\xC3\x89tage.\xC3\x89"
                            "clairage ?\t1\n"),
            std::string::npos)
      << dumped.out;
  EXPECT_EQ(RunTool({"convert-ets4", dir + "/none.esf"}).exitCode, 1);
}
