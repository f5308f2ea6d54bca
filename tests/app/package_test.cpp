// The Debian package as an integrator gets it: unpacked with dpkg-deb into a temporary root, its
// file list, its dependencies, and its programs run from there finding their files beside them;
// the systemd unit it carries checked by systemd-analyze.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "zelvox_process.h"

namespace {

namespace fs = std::filesystem;

struct Output {
  int exitCode = -1;
  std::string text;
};

// Runs a shell command, its stdout (and stderr when the command redirects it) collected.
Output Capture(const std::string& command) {
  Output result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.text.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool HasProgram(const char* name) {
  return Capture(std::string("command -v ") + name + " >/dev/null 2>&1").exitCode == 0;
}

// The package scripts/package made, unpacked into a temporary root for each test.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ZELVOX_PACKAGE_DIR, ec)) {
      if (entry.path().extension() == ".deb") deb = entry.path().string();
    }
    if (deb.empty())
      GTEST_SKIP() << "no package in " ZELVOX_PACKAGE_DIR "; scripts/package makes it";
    if (!HasProgram("dpkg-deb")) GTEST_SKIP() << "dpkg-deb is not installed (package dpkg)";
    std::string pattern = (fs::temp_directory_path() / "zelvox-package-XXXXXX").string();
    dir = mkdtemp(pattern.data());
    root = dir + "/root";
    const Output unpacked = Capture("dpkg-deb -x " + Quoted(deb) + " " + Quoted(root) + " 2>&1");
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.text;
  }
  void TearDown() override {
    if (!dir.empty()) fs::remove_all(dir);
  }

  std::string deb;
  std::string dir;
  std::string root;
};

TEST_F(PackageTest, HoldsTheFilesInTheirPlacesAndDependsOnWhatTheProgramsLink) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
  }
  std::set<std::string> expected{
      "usr/bin/zelvox",
      "usr/bin/zelvox-tool",
      "usr/share/zelvox/lang/resdll_E",
      "usr/share/zelvox/lang/resdll_D",
      "usr/share/zelvox/help/Zelvox_E.html",
      "usr/share/zelvox/help/Zelvox_D.html",
      "usr/share/zelvox/demo/demo.esf",
      "usr/share/zelvox/demo/demo.zlv",
      "usr/share/zelvox/demo/demo.phd",
      "usr/share/man/man1/zelvox.1",
      "usr/share/man/man1/zelvox-tool.1",
      "usr/lib/systemd/system/zelvox.service",
  };
  // A build with the window adds its desktop entry and icon, both or neither.
  if (files.count("usr/share/applications/zelvox.desktop")) {
    expected.insert("usr/share/applications/zelvox.desktop");
    expected.insert("usr/share/icons/hicolor/scalable/apps/zelvox.svg");
  }
  EXPECT_EQ(files, expected);

  // The dependencies come from the binaries' libraries; adduser for the maintainer scripts.
  const Output depends = Capture("dpkg-deb -f " + Quoted(deb) + " Depends");
  EXPECT_NE(depends.text.find("libc6"), std::string::npos) << depends.text;
  EXPECT_NE(depends.text.find("libstdc++6"), std::string::npos) << depends.text;
  EXPECT_NE(depends.text.find("adduser"), std::string::npos) << depends.text;
  const std::string control = dir + "/control";
  ASSERT_EQ(Capture("dpkg-deb -e " + Quoted(deb) + " " + Quoted(control)).exitCode, 0);
  const std::string postinst = ReadText(control + "/postinst");
  EXPECT_NE(postinst.find("adduser --system"), std::string::npos);
  EXPECT_NE(postinst.find("/var/lib/zelvox"), std::string::npos);
  // Nothing is enabled or started without the admin asking.
  for (const char* script : {"postinst", "prerm", "postrm"}) {
    const std::string text = ReadText(control + "/" + script);
    for (const char* command : {"systemctl enable", "systemctl start", "systemctl restart",
                                "deb-systemd-helper enable", "deb-systemd-invoke start"}) {
      EXPECT_EQ(text.find(command), std::string::npos) << script << ": " << command;
    }
  }
}

TEST_F(PackageTest, UnpackedProgramsRunFromWhereTheyLie) {
  const std::string zelvox = root + "/usr/bin/zelvox";
  const std::string tool = root + "/usr/bin/zelvox-tool";
  const Output help = Capture(Quoted(zelvox) + " --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.text.find("usage: zelvox"), std::string::npos) << help.text;
  // The man page is written from that text: every option of it is there.
  const std::string man = ReadText(root + "/usr/share/man/man1/zelvox.1");
  for (const char* option : {"\\-\\-headless", "\\-\\-simulate", "\\-\\-opcua\\-port N",
                             "\\-\\-listen\\-any", "ZELVOX_HOME", "NOTIFY_SOCKET"}) {
    EXPECT_NE(man.find(option), std::string::npos) << option;
  }
  EXPECT_NE(ReadText(root + "/usr/share/man/man1/zelvox-tool.1").find(".B zelvox\\-tool settings"),
            std::string::npos);

  // No language folder named from outside: the files must be found relative to the program.
  const std::string home = dir + "/home";
  fs::create_directories(home);
  const std::map<std::string, std::string> env{{"ZELVOX_HOME", home}, {"ZELVOX_LANG_DIR", ""}};
  const Output tool_run =
      Capture("ZELVOX_HOME=" + Quoted(home) + " ZELVOX_LANG_DIR= " + Quoted(tool) +
              " interface set 'Virtual bus' '' 2>&1");
  ASSERT_EQ(tool_run.exitCode, 0) << tool_run.text;

  ZelvoxProcess server(
      {"--headless", "--simulate", "--opcua-port", "0", root + "/usr/share/zelvox/demo/demo.zlv"},
      env, dir + "/err.txt", zelvox);
  ASSERT_TRUE(server.Started());
  EXPECT_GT(server.ServingPort(), 0) << server.Err();
  EXPECT_EQ(server.Signal(SIGTERM, std::chrono::seconds(2)), 0) << server.Err();
}

TEST_F(PackageTest, SystemdAcceptsTheUnit) {
  const std::string unit = ReadText(root + "/usr/lib/systemd/system/zelvox.service");
  for (const char* line :
       {"Type=notify", "ExecStart=/usr/bin/zelvox --headless", "User=zelvox",
        "Environment=ZELVOX_HOME=/var/lib/zelvox", "Restart=on-failure", "NoNewPrivileges=yes",
        "ProtectSystem=strict", "ReadWritePaths=/var/lib/zelvox", "PrivateTmp=yes",
        "RestrictAddressFamilies=AF_INET AF_INET6 AF_UNIX", "WatchdogSec="}) {
    EXPECT_NE(unit.find(std::string("\n") + line), std::string::npos) << line;
  }
  if (!HasProgram("systemd-analyze")) {
    GTEST_SKIP() << "systemd-analyze is not installed (package systemd); the unit is not verified";
  }
  // systemd-analyze checks that the program exists: the unpacked one stands in for /usr/bin.
  std::string local = unit;
  const std::string installed = "ExecStart=/usr/bin/zelvox";
  local.replace(local.find(installed), installed.size(), "ExecStart=" + root + "/usr/bin/zelvox");
  const std::string path = dir + "/zelvox.service";
  std::ofstream(path) << local;
  // The man pages are checked above; the installed ones are not on this machine.
  const Output verify = Capture("systemd-analyze verify --man=no " + Quoted(path) + " 2>&1");
  EXPECT_EQ(verify.exitCode, 0) << verify.text;
  EXPECT_EQ(verify.text.find("zelvox.service:"), std::string::npos) << verify.text;
}

}  // namespace
