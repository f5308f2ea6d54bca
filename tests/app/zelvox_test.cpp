// zelvox as a program: registration, single instance, language files, settings, start file,
// a client's start, the port, and the stop by signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "knx/driver_interface_chooser.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "run_tool.h"
#include "ua_test_client.h"
#include "zelvox_process.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr const char* kClassKey = "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}";
constexpr const char* kAppIdKey = "AppID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ZelvoxTest : public ::testing::Test {
 protected:
  ZelvoxTest() {
    std::string pattern = (fs::temp_directory_path() / "zelvox-app-XXXXXX").string();
    dir = mkdtemp(pattern.data());
    home = dir + "/home";
    fs::create_directories(home);
    env = {{"ZELVOX_HOME", home}, {"ZELVOX_LANG_DIR", ZELVOX_LANG_SOURCE}};
  }
  ~ZelvoxTest() override { fs::remove_all(dir); }

  // Fresh views of the hives as the program left them.
  std::unique_ptr<SettingsStore> Hkcu() {
    return std::make_unique<SettingsStore>(home + "/HKCU.reg");
  }
  std::unique_ptr<SettingsStore> Hkcr() {
    return std::make_unique<SettingsStore>(home + "/HKCR.reg");
  }
  // The in-process virtual bus as the default interface: no KNXnet/IP attempt at start.
  void UseVirtualBus() { Hkcu()->SetText(kBusAccessKey, kDefaultInterfaceValue, "Virtual bus"); }

  std::unique_ptr<ZelvoxProcess> Start(std::vector<std::string> args,
                                       const std::string& errName = "err.txt") {
    return std::make_unique<ZelvoxProcess>(std::move(args), env, dir + "/" + errName);
  }
  ZelvoxResult Run(const std::vector<std::string>& args) {
    return RunZelvox(args, env, dir + "/run.txt");
  }
  std::string DemoProject() {
    const std::string project = dir + "/demo.zlv";
    EXPECT_EQ(RunTool({"import-esf", ZELVOX_DEMO_ESF, project}).exitCode, 0);
    return project;
  }

  std::string dir;
  std::string home;
  std::map<std::string, std::string> env;
};

TEST_F(ZelvoxTest, RegServerAndUnregServerLeaveExactlyTheirKeys) {
  ZelvoxResult run = Run({"-regserver"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto hkcr = Hkcr();
  EXPECT_EQ(hkcr->SubKeys(""),
            (std::vector<std::string>{"AppID", "CLSID", "Varnok.Zelvox", "Varnok.Zelvox.1"}));
  EXPECT_EQ(hkcr->GetText(kClassKey, ""), "Varnok Zelvox");
  EXPECT_EQ(hkcr->GetText(std::string(kClassKey) + "\\LocalServer32", ""),
            fs::canonical(ZELVOX_PATH).string());
  EXPECT_EQ(hkcr->GetText(std::string(kClassKey) + "\\LocalServer32", "ThreadingModel"), "both");
  EXPECT_EQ(hkcr->GetText(std::string(kClassKey) + "\\ProgID", ""), "Varnok.Zelvox.1");
  EXPECT_EQ(hkcr->GetText(std::string(kClassKey) + "\\VersionIndependentProgID", ""),
            "Varnok.Zelvox");
  EXPECT_EQ(hkcr->GetText(kAppIdKey, ""), "Varnok Zelvox");
  EXPECT_EQ(hkcr->GetText("Varnok.Zelvox.1\\CLSID", ""), "{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}");
  EXPECT_EQ(hkcr->GetText("Varnok.Zelvox\\OPC", "Vendor"), "Varnok");
  // Registration ends the program before the document: no settings were read or written.
  EXPECT_FALSE(Hkcu()->KeyExists(kParameterKey));

  // The first switch wins: only unregistration; the shared keys stay, emptied.
  run = Run({"/UnregServer", "/RegServer"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  hkcr = Hkcr();
  EXPECT_EQ(hkcr->SubKeys(""), (std::vector<std::string>{"AppID", "CLSID"}));
  EXPECT_TRUE(hkcr->SubKeys("CLSID").empty());
  EXPECT_TRUE(hkcr->SubKeys("AppID").empty());

  // A store that cannot be written: message 177 and a failed exit.
  fs::remove(home + "/HKCR.reg");
  fs::create_directory(home + "/HKCR.reg");
  run = Run({"/RegServer"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Zelvox could not be registered as an OPC server."), std::string::npos)
      << run.err;
}

TEST_F(ZelvoxTest, ASecondStartSignalsTheFirstAndEnds) {
  UseVirtualBus();
  auto first = Start({"--headless", "--opcua-port", "0"});
  ASSERT_GT(first->ServingPort(), 0) << first->Err();

  const ZelvoxResult second = Run({"--headless", "--opcua-port", "0"});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.err.find("serving"), std::string::npos) << second.err;
  for (int i = 0; i < 100 && first->Err().find("show itself") == std::string::npos; ++i) {
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_NE(first->Err().find("another start of Zelvox asked this instance to show itself"),
            std::string::npos)
      << first->Err();
  EXPECT_EQ(first->Signal(SIGTERM, seconds(2)), 0);

  // A holder of the lock that does not answer: message 199.
  const int lock = open((home + "/zelvox.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
  const ZelvoxResult blocked = Run({"--headless", "--opcua-port", "0"});
  close(lock);
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_NE(blocked.err.find("Zelvox is already running, but its window could not be found."),
            std::string::npos)
      << blocked.err;
}

TEST_F(ZelvoxTest, AMissingLanguageFileEndsWithItsOwnMessage) {
  const std::string empty = dir + "/no-language";
  fs::create_directory(empty);
  env["ZELVOX_LANG_DIR"] = empty;
  ZelvoxResult run = Run({"--headless", "--opcua-port", "0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "zelvox: Error loading 'resdll_E.dll'. Reinstall Zelvox!\n");

  Hkcu()->SetInt(kParameterKey, "Language", 1);
  run = Run({"--headless", "--opcua-port", "0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "zelvox: Fehler beim Laden von 'resdll_D.dll'. Installieren sie den Zelvox neu!\n");
  // The program ended before the document read its settings.
  EXPECT_EQ(Hkcu()->ValueNames(kParameterKey), std::vector<std::string>{"Language"});
}

TEST_F(ZelvoxTest, TheFirstStartWritesBackTheTimingSettingsAndKeepsHandEdits) {
  auto server = Start({"--headless", "--opcua-port", "0"});
  ASSERT_GT(server->ServingPort(), 0) << server->Err();
  EXPECT_EQ(server->Signal(SIGTERM, seconds(2)), 0);
  auto hkcu = Hkcu();
  EXPECT_EQ(hkcu->ValueNames(kParameterKey),
            (std::vector<std::string>{"InitSpeedFast", "InitSpeedMedium", "InitSpeedSlow",
                                      "ReadSpeed", "ReadStrategy", "ResponseTimeout",
                                      "SimulationSpeed", "WriteSpeed", "WriteStrategy"}));
  EXPECT_EQ(hkcu->GetInt(kParameterKey, "ResponseTimeout"), 6);
  EXPECT_EQ(hkcu->GetInt(kParameterKey, "InitSpeedSlow"), 1000);
  EXPECT_EQ(hkcu->GetInt(kParameterKey, "InitSpeedMedium"), 500);
  EXPECT_EQ(hkcu->GetInt(kParameterKey, "InitSpeedFast"), 250);

  hkcu->SetInt(kParameterKey, "ReadSpeed", 20);
  UseVirtualBus();
  server = Start({"--headless", "--opcua-port", "0"});
  ASSERT_GT(server->ServingPort(), 0) << server->Err();
  EXPECT_EQ(server->Signal(SIGINT, seconds(2)), 0);
  EXPECT_EQ(Hkcu()->GetInt(kParameterKey, "ReadSpeed"), 20);
}

TEST_F(ZelvoxTest, AMissingStartFileStartsEmptyAndAnExistingOneIsOpened) {
  UseVirtualBus();
  const std::string gone = dir + "/gone.zlv";
  Hkcu()->SetText(kParameterKey, "Startfile", gone);
  auto server = Start({"--headless", "--opcua-port", "0"});
  ASSERT_GT(server->ServingPort(), 0) << server->Err();
  EXPECT_EQ(server->Signal(SIGTERM, seconds(2)), 0);
  // Nothing was reported and nothing opened: the start file stays as it was.
  EXPECT_EQ(server->Err().find("gone.zlv"), std::string::npos) << server->Err();
  EXPECT_EQ(Hkcu()->GetText(kParameterKey, "Startfile"), gone);

  // An existing start file is opened at start: what is wrong with it is reported.
  const std::string broken = dir + "/broken.zlv";
  std::ofstream(broken) << "not a project\n";
  Hkcu()->SetText(kParameterKey, "Startfile", broken);
  server = Start({"--headless", "--opcua-port", "0"});
  ASSERT_GT(server->ServingPort(), 0) << server->Err();
  EXPECT_EQ(server->Signal(SIGTERM, seconds(2)), 0);
  EXPECT_NE(server->Err().find("/broken."), std::string::npos) << server->Err();
}

TEST_F(ZelvoxTest, AClientsStartEndsWhenNoClientIsConnected) {
  UseVirtualBus();
  // No client at the first tick: the program ends by itself.
  auto alone = Start({"--headless", "/Embedding", "--opcua-port", "0"});
  ASSERT_GT(alone->ServingPort(), 0) << alone->Err();
  EXPECT_EQ(alone->WaitExit(seconds(3)), 0) << alone->Err();

  // With a session it runs on; once the session is closed it ends at the next tick.
  auto served = Start({"--headless", "-Automation", "--opcua-port", "0"});
  const int port = served->ServingPort();
  ASSERT_GT(port, 0) << served->Err();
  UaTestClient client;
  ASSERT_TRUE(client.Connect(static_cast<std::uint16_t>(port)));
  ASSERT_TRUE(client.OpenSession());
  EXPECT_EQ(served->WaitExit(milliseconds(2500)), -1) << "ended with a client connected";
  ASSERT_TRUE(client.CloseSession());
  EXPECT_EQ(served->WaitExit(seconds(3)), 0) << served->Err();
}

TEST_F(ZelvoxTest, TheWindowNeedsADisplayAndEndsLikeTheService) {
  UseVirtualBus();
  env["DISPLAY"] = "";
  env["WAYLAND_DISPLAY"] = "";
  env["QT_QPA_PLATFORM"] = "";
  const ZelvoxResult refused = Run({"--opcua-port", "0"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.err,
            "zelvox: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
            "start the server with --headless\n");

  // On a display (here the offscreen one) the window serves as the service does.
  env["QT_QPA_PLATFORM"] = "offscreen";
  auto window = Start({"--opcua-port", "0"}, "window.txt");
  ASSERT_GT(window->ServingPort(), 0) << window->Err();
  const ZelvoxResult second = Run({"--opcua-port", "0"});
  EXPECT_EQ(second.exitCode, 0) << second.err;  // the first window was asked to show itself
  EXPECT_EQ(window->Signal(SIGTERM, seconds(3)), 0) << window->Err();

  // Started by a client, the window ends at the first tick without a client.
  auto alone = Start({"/Embedding", "--opcua-port", "0"}, "alone.txt");
  ASSERT_GT(alone->ServingPort(), 0) << alone->Err();
  EXPECT_EQ(alone->WaitExit(seconds(4)), 0) << alone->Err();
}

TEST_F(ZelvoxTest, SigtermStopsTheSimulationCleanlyWithTheProjectUntouched) {
  UseVirtualBus();
  const std::string project = DemoProject();
  const std::string before = ReadBytes(project);
  auto server = Start({"--headless", "--simulate", "--opcua-port", "0", project});
  const int port = server->ServingPort();
  ASSERT_GT(port, 0) << server->Err();
  UaTestClient client;
  ASSERT_TRUE(client.Connect(static_cast<std::uint16_t>(port)));
  ASSERT_TRUE(client.OpenSession());
  std::this_thread::sleep_for(milliseconds(1500));  // a few simulation ticks

  // A client still connected does not hold up a service stop.
  EXPECT_EQ(server->Signal(SIGTERM, seconds(2)), 0) << server->Err();
  EXPECT_EQ(ReadBytes(project), before);
  EXPECT_EQ(Hkcu()->GetText(kParameterKey, "Startfile"), fs::absolute(project).string());
  EXPECT_EQ(server->Err().find("not saved"), std::string::npos) << server->Err();
}

TEST_F(ZelvoxTest, ATakenPortEndsWithAClearMessage) {
  UseVirtualBus();
  const int holder = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(holder, 1), 0);
  getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string port = std::to_string(ntohs(address.sin_port));

  const ZelvoxResult run = Run({"--headless", "--opcua-port", port});
  close(holder);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("OPC UA cannot be served on port " + port), std::string::npos) << run.err;
}

}  // namespace
