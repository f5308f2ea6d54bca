// The command line and the settings commands of the application, in process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/headless_document.h"
#include "app/settings_commands.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLine, RegistrationSwitchesAreTokensAndTheFirstWins) {
  const auto reg = [](std::vector<std::string> args) {
    return ParseCommandLine(args).registration;
  };
  EXPECT_EQ(reg({"-regserver"}), Registration::Register);
  EXPECT_EQ(reg({"/RegServer"}), Registration::Register);
  EXPECT_EQ(reg({"--UNREGSERVER"}), Registration::Unregister);
  EXPECT_EQ(reg({"/UnregServer", "/RegServer"}), Registration::Unregister);
  EXPECT_EQ(reg({"x-regserver/unregserver"}), Registration::Register);
  EXPECT_EQ(reg({"-regserverx", "project.zlv"}), Registration::None);
  EXPECT_EQ(reg({}), Registration::None);

  // A file that exists is a file name, whatever its path holds.
  const fs::path folder = fs::temp_directory_path() / ("zelvox-cl-" + std::to_string(getpid()));
  fs::create_directories(folder / "regserver");
  const std::string file = (folder / "regserver" / "p.zlv").string();
  std::ofstream(file) << "";
  const CommandLine line = ParseCommandLine({file});
  EXPECT_EQ(line.registration, Registration::None);
  EXPECT_EQ(line.projectFile, file);
  fs::remove_all(folder);
}

TEST(CommandLine, StartSwitchesProjectAndServiceOptions) {
  CommandLine line = ParseCommandLine({"/Embedding", "/home/user/site.zlv", "other.zlv"});
  EXPECT_TRUE(line.startedByClient);
  EXPECT_EQ(line.projectFile, "/home/user/site.zlv");
  EXPECT_TRUE(line.error.empty());
  EXPECT_TRUE(ParseCommandLine({"-automation"}).startedByClient);
  EXPECT_FALSE(ParseCommandLine({"/nologo"}).startedByClient);
  EXPECT_TRUE(ParseCommandLine({"/nologo"}).error.empty());

  line = ParseCommandLine({"--headless", "--simulate", "--opcua-port", "4841", "--listen-any"});
  EXPECT_TRUE(line.headless && line.simulate && line.listenAny);
  EXPECT_EQ(line.opcUaPort, 4841);
  EXPECT_TRUE(line.projectFile.empty());
  EXPECT_EQ(ParseCommandLine({"--opcua-port=0"}).opcUaPort, 0);

  EXPECT_FALSE(ParseCommandLine({"--opcua-port", "65536"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--opcua-port", "12x"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--opcua-port"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--frobnicate"}).error.empty());

  EXPECT_EQ(ParseCommandLine({"--log-level", "info"}).logLevel, LogLevel::Info);
  EXPECT_EQ(ParseCommandLine({"--log-level=DEBUG"}).logLevel, LogLevel::Debug);
  EXPECT_EQ(ParseCommandLine({"--log-level", "4"}).logLevel, LogLevel::Warning);
  EXPECT_FALSE(ParseCommandLine({"--log-level", "loud"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--log-level"}).error.empty());
  EXPECT_NE(std::string(CommandLineUsage()).find("--log-level"), std::string::npos);
}

struct RecordingPrompt : Prompt {
  PromptAnswer Ask(unsigned id, std::string_view, PromptKind, PromptButtons) override {
    ids.push_back(id);
    return PromptAnswer::Ok;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override {
    return PromptAnswer::Ok;
  }
  std::vector<unsigned> ids;
};

struct FixedDialogs : OptionsDialog, LanguageDialog {
  bool Run(OptionsValues& values) override {
    shown = values;
    values = choice;
    return true;
  }
  bool Run(std::int32_t& value) override {
    shownLanguage = value;
    value = language;
    return true;
  }
  OptionsValues shown, choice;
  std::int32_t shownLanguage = -1, language = 0;
};

class SettingsCommandsTest : public ::testing::Test {
 protected:
  SettingsCommandsTest()
      : path(fs::temp_directory_path() / ("zelvox-sc-" + std::to_string(getpid()) + ".reg")),
        store(path.string()),
        document(prompt),
        commands(store, startmode) {
    commands.Register(document.Doc());
    commands.SetDialogs(&dialogs, &dialogs);
  }
  ~SettingsCommandsTest() override { fs::remove(path); }

  fs::path path;
  SettingsStore store;
  RecordingPrompt prompt;
  HeadlessDocument document;
  std::int32_t startmode = 0;
  SettingsCommands commands;
  FixedDialogs dialogs;
};

TEST_F(SettingsCommandsTest, OptionsWriteOnlyChangesAndTheTimeBaseWaitsForTheNextStart) {
  CDORAzivazDoc& doc = document.Doc();
  dialogs.choice = commands.CurrentOptions(doc);
  dialogs.choice.readLinks = false;
  dialogs.choice.startmode = true;
  dialogs.choice.initSpeed = 2;
  ASSERT_TRUE(doc.OnCommand(kCmdOptions));
  EXPECT_TRUE(dialogs.shown.readLinks && dialogs.shown.useGmt && !dialogs.shown.startmode);
  EXPECT_EQ(store.ValueNames(kParameterKey),
            (std::vector<std::string>{"InitSpeedCombobox", "ReadLinks", "Startmode"}));
  EXPECT_EQ(doc.Settings().readLinks, 0);
  EXPECT_EQ(doc.Settings().initSpeedCombobox, 2);
  EXPECT_EQ(startmode, 1);
  EXPECT_TRUE(prompt.ids.empty());

  dialogs.choice.useGmt = false;
  ASSERT_TRUE(doc.OnCommand(kCmdOptions));
  EXPECT_EQ(store.GetInt(kParameterKey, "UseGMT"), 0);
  EXPECT_EQ(doc.Settings().useGmt, 1);
  EXPECT_EQ(prompt.ids, std::vector<unsigned>{kMsgTimeBaseNextStart});
}

TEST_F(SettingsCommandsTest, TheLogLevelSettingIsANameOrANumber) {
  EXPECT_EQ(ReadLogLevel(store), std::nullopt);
  store.SetText(kParameterKey, "LogLevel", "warning");
  EXPECT_EQ(ReadLogLevel(store), LogLevel::Warning);
  store.SetInt(kParameterKey, "LogLevel", 7);
  EXPECT_EQ(ReadLogLevel(store), LogLevel::Debug);
  store.SetText(kParameterKey, "LogLevel", "chatty");
  EXPECT_EQ(ReadLogLevel(store), std::nullopt);
}

TEST_F(SettingsCommandsTest, LanguageIsStoredForTheNextStartOnlyWhenItChanges) {
  CDORAzivazDoc& doc = document.Doc();
  dialogs.language = 0;
  ASSERT_TRUE(doc.OnCommand(kCmdLanguage));
  EXPECT_EQ(dialogs.shownLanguage, 0);
  EXPECT_FALSE(store.GetInt(kParameterKey, "Language").has_value());
  EXPECT_TRUE(prompt.ids.empty());

  dialogs.language = 1;
  ASSERT_TRUE(doc.OnCommand(kCmdLanguage));
  EXPECT_EQ(store.GetInt(kParameterKey, "Language"), 1);
  EXPECT_EQ(prompt.ids, std::vector<unsigned>{kMsgLanguageNextStart});
  ASSERT_TRUE(doc.OnCommand(kCmdLanguage));
  EXPECT_EQ(dialogs.shownLanguage, 1);
  EXPECT_EQ(prompt.ids.size(), 1u);
}

}  // namespace
