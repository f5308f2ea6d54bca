// zelvox-tool settings: listing with defaults, set and get, refusal of bad names and values,
// and the settings file replaced whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "run_tool.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ino_t Inode(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// ZELVOX_HOME pointed at a fresh folder for the test, restored after it.
class ToolSettingsTest : public ::testing::Test {
 protected:
  ToolSettingsTest() {
    char pattern[] = "/tmp/zelvox-tool-settings-XXXXXX";
    home = mkdtemp(pattern);
    if (const char* before = std::getenv("ZELVOX_HOME")) saved = before;
    setenv("ZELVOX_HOME", home.c_str(), 1);
  }
  ~ToolSettingsTest() override {
    if (saved) {
      setenv("ZELVOX_HOME", saved->c_str(), 1);
    } else {
      unsetenv("ZELVOX_HOME");
    }
    fs::remove_all(home);
  }

  fs::path home;
  std::optional<std::string> saved;
};

TEST_F(ToolSettingsTest, ListsEverySettingWithItsDefaultThenSetsAndGets) {
  ToolRun run = RunTool({"settings"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 27);
  for (const char* line :
       {"UseGMT\t1\t1\t0 to 1\t", "InitSpeedCombobox\t1\t1\t0 to 2\t", "ResponseTimeout\t6\t6\t",
        "ReadSpeed\t100\t100\t1 to 60000\t", "WriteSpeed\t100\t100\t",
        "InitSpeedSlow\t1000\t1000\t", "InitSpeedMedium\t500\t500\t", "InitSpeedFast\t250\t250\t",
        "SimulationSpeed\t1000\t1000\t", "WriteStrategy\t1\t1\t", "ReadStrategy\t1\t1\t",
        "PingTime\t0\t0\t0, 15, 30, 60 or 120\t", "Language\t0\t0\t", "Startmode\t0\t0\t",
        "Startfile\t\t\t", "MaxLines\t500\t500\t", "AddressLevels\t2\t2\t2 to 3\t",
        "OpcUaPort\t4840\t4840\t", "OpcUaListenAny\t0\t0\t"}) {
    EXPECT_NE(("\n" + run.out).find(std::string("\n") + line), std::string::npos) << line;
  }
  for (const char* line : {"OpcUaSecurityPolicies\t15\t15\t1 to 15\t", "OpcUaSecurityModes\t3\t3\t",
                           "OpcUaAnonymous\t1\t1\t0 to 1\t"}) {
    EXPECT_NE(("\n" + run.out).find(std::string("\n") + line), std::string::npos) << line;
  }
  // Listing reads only: nothing is written.
  EXPECT_FALSE(fs::exists(home / "HKCU.reg"));

  EXPECT_EQ(RunTool({"settings", "set", "ReadSpeed", "20"}).exitCode, 0);
  EXPECT_EQ(RunTool({"settings", "set", "pingtime", "60"}).exitCode, 0);
  EXPECT_EQ(RunTool({"settings", "get", "readspeed"}).out, "20\n");
  EXPECT_EQ(RunTool({"settings", "get", "PingTime"}).out, "60\n");
  EXPECT_EQ(RunTool({"settings", "get", "WriteSpeed"}).out, "100\n");
  EXPECT_NE(RunTool({"settings"}).out.find("\nReadSpeed\t20\t100\t"), std::string::npos);
  const std::string file = ReadBytes(home / "HKCU.reg");
  EXPECT_NE(file.find("\"ReadSpeed\"=dword:00000014"), std::string::npos) << file;

  // The start project is kept as an absolute path: the service runs in another folder.
  ASSERT_EQ(RunTool({"settings", "set", "Startfile", "projects/../hall.zlv"}).exitCode, 0);
  EXPECT_EQ(RunTool({"settings", "get", "Startfile"}).out,
            (fs::current_path() / "hall.zlv").string() + "\n");
  ASSERT_EQ(RunTool({"settings", "set", "Startfile", ""}).exitCode, 0);
  EXPECT_EQ(RunTool({"settings", "get", "Startfile"}).out, "\n");
}

TEST_F(ToolSettingsTest, RefusesUnknownNamesAndBadValuesAndWritesTheFileWhole) {
  ASSERT_EQ(RunTool({"settings", "set", "ReadSpeed", "250"}).exitCode, 0);
  const fs::path file = home / "HKCU.reg";
  const std::string before = ReadBytes(file);
  const ino_t inodeBefore = Inode(file);

  struct Bad {
    const char* name;
    const char* value;
    const char* message;
  };
  for (const Bad& bad : {
           Bad{"ReadSpeed", "0", "ReadSpeed must be 1 to 60000, not \"0\""},
           Bad{"ReadSpeed", "abc", "not \"abc\""},
           Bad{"ReadSpeed", "100ms", "not \"100ms\""},
           Bad{"ReadSpeed", "", "not \"\""},
           Bad{"ReadSpeed", "99999999999", "not \"99999999999\""},
           Bad{"PingTime", "45", "PingTime must be 0, 15, 30, 60 or 120"},
           Bad{"InitSpeedCombobox", "3", "must be 0 to 2"},
           Bad{"Language", "-1", "must be 0 to 1"},
           Bad{"AddressLevels", "1", "must be 2 to 3"},
           Bad{"OpcUaPort", "65536", "must be 0 to 65535"},
           Bad{"ReadSped", "100", "there is no setting \"ReadSped\""},
       }) {
    const ToolRun run = RunTool({"settings", "set", bad.name, bad.value});
    EXPECT_EQ(run.exitCode, 1) << bad.name << ' ' << bad.value;
    EXPECT_NE(run.err.find(bad.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(RunTool({"settings", "get", "NoSuch"}).exitCode, 1);
  EXPECT_EQ(RunTool({"settings", "set", "ReadSpeed"}).exitCode, 2);
  EXPECT_EQ(RunTool({"settings", "unset", "ReadSpeed"}).exitCode, 2);
  // Refusals leave the file as it was, byte for byte.
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_EQ(Inode(file), inodeBefore);

  // A change replaces the file by a rename (a new inode) and leaves no temporary file behind.
  ASSERT_EQ(RunTool({"settings", "set", "WriteSpeed", "50"}).exitCode, 0);
  EXPECT_NE(Inode(file), inodeBefore);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(home)) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"HKCU.reg"});
  EXPECT_NE(ReadBytes(file).find("\"ReadSpeed\"=dword:000000fa"), std::string::npos);

  // A folder that cannot be made (it would lie below a file) gives a clear error, not success.
  setenv("ZELVOX_HOME", (file / "below").c_str(), 1);
  const ToolRun run = RunTool({"settings", "set", "WriteSpeed", "60"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("cannot be written"), std::string::npos) << run.err;
}

}  // namespace
