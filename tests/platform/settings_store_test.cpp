// Tests of SettingsStore: persistence, atomic writes, case rules, key deletion, damaged files.
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kParameter = "Software\\Varnok\\Zelvox\\Parameter";

class SettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/zelvox-settings-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    m_dir = dir;
    m_home = m_dir / "home" / "sub";  // created by the first write
    if (const char* old = std::getenv("ZELVOX_HOME")) m_oldHome = old;
    setenv("ZELVOX_HOME", m_home.c_str(), 1);
    SettingsStore::ResetAll();
  }
  void TearDown() override {
    if (m_oldHome)
      setenv("ZELVOX_HOME", m_oldHome->c_str(), 1);
    else
      unsetenv("ZELVOX_HOME");
    SettingsStore::ResetAll();
    fs::remove_all(m_dir);
  }
  static SettingsStore& User() { return SettingsStore::Of(Hive::CurrentUser); }
  static SettingsStore& Restart() {
    SettingsStore::ResetAll();
    return User();
  }
  void WriteHive(const std::string& text) {
    fs::create_directories(m_home);
    std::ofstream(m_home / "HKCU.reg", std::ios::binary) << text;
  }
  std::string ReadHive() {
    std::ifstream in(m_home / "HKCU.reg", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path m_dir;
  fs::path m_home;
  std::optional<std::string> m_oldHome;
};

TEST_F(SettingsStoreTest, ValuesSurviveARestart) {
  EXPECT_EQ(SettingsHome(), m_home.string());
  EXPECT_FALSE(User().GetInt(kParameter, "ReadSpeed"));
  const std::string text = "C:\\Projekte\\B\xE4ro \"neu\"\n\t\x01\x7F\x80\x81 end ";
  ASSERT_TRUE(User().SetInt(kParameter, "ReadSpeed", 100));
  ASSERT_TRUE(User().SetInt(kParameter, "Negative", -1));
  ASSERT_TRUE(User().SetText(kParameter, "Startfile", text));
  ASSERT_TRUE(User().SetText(kParameter, "", "default"));
  ASSERT_TRUE(User().SetText(kParameter, "Empty", ""));
  ASSERT_TRUE(User().CreateKey("Software\\Varnok\\Zelvox\\Recent File List"));
  ASSERT_TRUE(SettingsStore::Of(Hive::ClassesRoot).SetText("Varnok.Zelvox", "", "Zelvox"));

  SettingsStore& store = Restart();
  EXPECT_EQ(store.GetInt(kParameter, "ReadSpeed"), 100);
  EXPECT_EQ(store.GetInt(kParameter, "Negative"), -1);
  EXPECT_EQ(store.GetText(kParameter, "Startfile"), text);
  EXPECT_EQ(store.GetText(kParameter, ""), "default");
  EXPECT_EQ(store.GetText(kParameter, "Empty"), "");
  EXPECT_TRUE(store.KeyExists("Software\\Varnok\\Zelvox\\Recent File List"));
  // A value is either an integer or a text.
  EXPECT_FALSE(store.GetText(kParameter, "ReadSpeed"));
  EXPECT_FALSE(store.GetInt(kParameter, "Startfile"));
  EXPECT_EQ(SettingsStore::Of(Hive::ClassesRoot).GetText("VARNOK.ZELVOX", ""), "Zelvox");
  EXPECT_FALSE(store.GetText("Varnok.Zelvox", ""));  // the hives are separate files

  // The file is UTF-8 text a person can read and edit.
  const std::string file = ReadHive();
  EXPECT_NE(file.find("[Software\\Varnok\\Zelvox\\Parameter]"), std::string::npos);
  EXPECT_NE(file.find("\"ReadSpeed\"=dword:00000064"), std::string::npos);
  EXPECT_NE(file.find("\"Negative\"=dword:ffffffff"), std::string::npos);
  EXPECT_NE(file.find("B\xC3\xA4ro \\\"neu\\\"\\n\\t\\x01\\x7F\xE2\x82\xAC"), std::string::npos);
}

TEST_F(SettingsStoreTest, WritesAreAtomicAndFailuresKeepNothing) {
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(User().SetInt(kParameter, "Count", i));
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(m_home))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"HKCU.reg"});

  // A settings folder that cannot be made: the change is refused and not kept.
  std::ofstream(m_dir / "blocker") << "x";
  SettingsStore blocked((m_dir / "blocker" / "HKCU.reg").string());
  EXPECT_FALSE(blocked.SetInt(kParameter, "ReadSpeed", 5));
  EXPECT_FALSE(blocked.GetInt(kParameter, "ReadSpeed"));
  EXPECT_FALSE(blocked.KeyExists(kParameter));

  // Names that cannot be stored are refused.
  EXPECT_FALSE(User().SetInt("Bad\nKey", "x", 1));
  EXPECT_FALSE(User().CreateKey("Bad\\Key\x01"));
}

TEST_F(SettingsStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_TRUE(User().SetInt(kParameter, "ReadSpeed", 1));
  ASSERT_TRUE(User().SetInt("SOFTWARE\\varnok\\ZELVOX\\parameter\\", "READSPEED", 2));
  ASSERT_TRUE(User().SetInt(kParameter, "\xC4nderung", 3));  // Ä, Windows-1252
  EXPECT_EQ(User().GetInt("software\\\\Varnok\\Zelvox\\Parameter", "readspeed"), 2);
  EXPECT_EQ(User().GetInt(kParameter, "\xE4NDERUNG"), 3);  // ä
  SettingsStore& store = Restart();
  EXPECT_EQ(store.ValueNames(kParameter), (std::vector<std::string>{"ReadSpeed", "\xC4nderung"}));
  EXPECT_EQ(store.SubKeys("software"), std::vector<std::string>{"Varnok"});
  EXPECT_EQ(store.SubKeys(""), std::vector<std::string>{"Software"});
  EXPECT_TRUE(store.SubKeys("Nowhere").empty());
}

TEST_F(SettingsStoreTest, DeleteKeyTakesItsSubkeysOnly) {
  for (const char* key : {"A\\B", "A\\B\\C", "A\\B\\C\\D", "A\\B C", "A\\B2", "A\\BB\\C"})
    ASSERT_TRUE(User().CreateKey(key));
  ASSERT_TRUE(User().SetInt("A\\B\\C", "v", 1));
  ASSERT_TRUE(User().SetInt("A", "keep", 1));
  EXPECT_EQ(User().SubKeys("a\\b"), std::vector<std::string>{"C"});
  ASSERT_TRUE(User().DeleteKey("a\\b"));
  EXPECT_FALSE(User().DeleteKey("a\\b"));
  EXPECT_FALSE(User().DeleteKey(""));
  SettingsStore& store = Restart();
  EXPECT_FALSE(store.KeyExists("A\\B"));
  EXPECT_FALSE(store.KeyExists("A\\B\\C\\D"));
  EXPECT_EQ(store.SubKeys("A"), (std::vector<std::string>{"B C", "B2", "BB"}));
  EXPECT_TRUE(store.KeyExists("A\\BB\\C"));
  EXPECT_EQ(store.GetInt("A", "keep"), 1);
  EXPECT_TRUE(store.DeleteValue("a", "KEEP"));
  EXPECT_FALSE(store.DeleteValue("a", "keep"));
  EXPECT_TRUE(Restart().ValueNames("A").empty());
}

TEST_F(SettingsStoreTest, DamagedFileYieldsWhatCanBeRead) {
  WriteHive("garbage\r\n\x00\xFF\xFE binary\n"s +
            "[Software\\Varnok\\Zelvox\\Parameter]\r\n"
            "\"ReadSpeed\"=dword:00000014\r\n"
            "\"Broken\"=dword:xyz\n"
            "\"TooLong\"=dword:123456789\n"
            "\"Unclosed\"=\"abc\n"
            "\"BadEscape\"=\"a\\qb\"\n"
            "\"Startfile\"=\"/p/\\x4a.zlv\"\n"
            "[Lost\\Section\n"
            "\"Orphan\"=dword:00000001\n"
            "  [Other]  \n"
            "@=dword:00000007\n");
  SettingsStore& store = User();
  EXPECT_EQ(store.GetInt(kParameter, "ReadSpeed"), 20);
  EXPECT_EQ(store.GetText(kParameter, "Startfile"), "/p/J.zlv");
  EXPECT_EQ(store.ValueNames(kParameter), (std::vector<std::string>{"ReadSpeed", "Startfile"}));
  EXPECT_EQ(store.GetInt("Other", ""), 7);
  EXPECT_FALSE(store.KeyExists("Lost"));
  // The next write leaves a clean file with everything that was read.
  ASSERT_TRUE(store.SetInt(kParameter, "WriteSpeed", 50));
  SettingsStore& again = Restart();
  EXPECT_EQ(again.GetInt(kParameter, "ReadSpeed"), 20);
  EXPECT_EQ(again.GetInt(kParameter, "WriteSpeed"), 50);
  EXPECT_EQ(ReadHive().find("garbage"), std::string::npos);
}

TEST_F(SettingsStoreTest, ChangesOfOtherWritersAndThreadsAreKept) {
  const std::string path = (m_home / "HKCU.reg").string();
  SettingsStore first(path);
  SettingsStore second(path);  // as another process would hold it
  ASSERT_TRUE(first.SetInt(kParameter, "A", 1));
  ASSERT_TRUE(second.SetInt(kParameter, "B", 2));
  EXPECT_EQ(second.GetInt(kParameter, "A"), 1);

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 10; ++i)
        User().SetInt(kParameter, "T" + std::to_string(t) + "_" + std::to_string(i), i);
    });
  }
  for (std::thread& t : threads) t.join();
  SettingsStore& store = Restart();
  EXPECT_EQ(store.ValueNames(kParameter).size(), 42u);
  EXPECT_EQ(store.GetInt(kParameter, "T3_9"), 9);
}

}  // namespace
