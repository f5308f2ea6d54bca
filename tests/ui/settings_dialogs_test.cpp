// Tests of the options and language dialogs and the check interval menu on a real document:
// each writes exactly the values the user changed and announces what waits for the next start.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenuBar>
#include <QRadioButton>

#include "app/settings_commands.h"
#include "devices/device_supervision.h"
#include "modal_dialog.h"
#include "project/document_settings.h"
#include "ui/menu_builder.h"
#include "ui/qt_language_dialog.h"
#include "ui/qt_options_dialog.h"
#include "window_fixture.h"

namespace {

class SettingsDialogsTest : public WindowTest {
 protected:
  SettingsDialogsTest() {
    MakeWindow();
    commands.Register(*doc);
    commands.SetDialogs(&options, &language);
  }
  ~SettingsDialogsTest() override { commands.SetDialogs(nullptr, nullptr); }

  std::optional<std::int32_t> Stored(const char* name) {
    return settings->GetInt(kParameterKey, name);
  }

  std::int32_t startmode = 0;
  SettingsCommands commands{*settings, startmode};
  QtOptionsDialog options{nullptr};
  QtLanguageDialog language{nullptr};
};

TEST_F(SettingsDialogsTest, OptionsWriteOnlyWhatChanged) {
  ASSERT_TRUE(frame->CommandEnabled(kCmdOptions));
  doc->Settings().initSpeedCombobox = 2;
  OnModalDialog([](QDialog& dialog) {
    EXPECT_FALSE(Field<QCheckBox>(dialog, 1001)->isChecked());
    EXPECT_TRUE(Field<QCheckBox>(dialog, 1002)->isChecked());
    EXPECT_TRUE(Field<QCheckBox>(dialog, 1003)->isChecked());
    EXPECT_TRUE(Field<QRadioButton>(dialog, 1005)->isChecked());
    EXPECT_EQ(Field<QComboBox>(dialog, 1008)->currentIndex(), 2);
    Field<QCheckBox>(dialog, 1002)->setChecked(false);
    Press(dialog, 1);
  });
  frame->RunCommand(kCmdOptions);
  EXPECT_EQ(Stored("ReadLinks"), 0);
  EXPECT_EQ(doc->Settings().readLinks, 0);
  for (const char* untouched : {"Startmode", "InitRead", "InitSpeedCombobox", "UseGMT"})
    EXPECT_FALSE(Stored(untouched)) << untouched;
  EXPECT_TRUE(prompt.asked.empty());

  // The time base is written and announced; the running one stays. The start mode takes
  // effect at once.
  OnModalDialog([](QDialog& dialog) {
    EXPECT_FALSE(Field<QCheckBox>(dialog, 1002)->isChecked());
    Field<QRadioButton>(dialog, 1006)->setChecked(true);
    Field<QCheckBox>(dialog, 1001)->setChecked(true);
    Field<QComboBox>(dialog, 1008)->setCurrentIndex(0);
    Press(dialog, 1);
  });
  frame->RunCommand(kCmdOptions);
  EXPECT_EQ(Stored("UseGMT"), 0);
  EXPECT_EQ(doc->Settings().useGmt, 1);
  EXPECT_EQ(Stored("Startmode"), 1);
  EXPECT_EQ(startmode, 1);
  EXPECT_EQ(Stored("InitSpeedCombobox"), 0);
  EXPECT_EQ(doc->Settings().initSpeedCombobox, 0);
  EXPECT_FALSE(Stored("InitRead"));
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kMsgTimeBaseNextStart});

  // Cancel writes nothing.
  prompt.asked.clear();
  OnModalDialog([](QDialog& dialog) {
    Field<QCheckBox>(dialog, 1003)->setChecked(false);
    Press(dialog, 2);
  });
  frame->RunCommand(kCmdOptions);
  EXPECT_FALSE(Stored("InitRead"));
  EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(SettingsDialogsTest, OptionsKeepASpeedSetByHandUnlessOneIsChosen) {
  doc->Settings().initSpeedCombobox = 7;
  OnModalDialog([](QDialog& dialog) {
    EXPECT_EQ(Field<QComboBox>(dialog, 1008)->currentIndex(), -1);
    Press(dialog, 1);
  });
  frame->RunCommand(kCmdOptions);
  EXPECT_EQ(doc->Settings().initSpeedCombobox, 7);
  EXPECT_FALSE(Stored("InitSpeedCombobox"));
}

TEST_F(SettingsDialogsTest, LanguageIsWrittenForTheNextStart) {
  ASSERT_TRUE(frame->CommandEnabled(kCmdLanguage));
  OnModalDialog([](QDialog& dialog) {
    EXPECT_TRUE(Field<QRadioButton>(dialog, 1005)->isChecked());
    Field<QRadioButton>(dialog, 1006)->setChecked(true);
    Press(dialog, 1);
  });
  frame->RunCommand(kCmdLanguage);
  EXPECT_EQ(Stored("Language"), 1);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kMsgLanguageNextStart});
  EXPECT_EQ(Language()->String(57345), "Ready");  // the running language stays

  // The same choice again: nothing written, nothing said.
  prompt.asked.clear();
  settings->SetInt(kParameterKey, "Language", 1);
  OnModalDialog([](QDialog& dialog) {
    EXPECT_TRUE(Field<QRadioButton>(dialog, 1006)->isChecked());
    Press(dialog, 1);
  });
  frame->RunCommand(kCmdLanguage);
  EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(SettingsDialogsTest, CheckIntervalMenuShowsAndSetsThePingTime) {
  auto supervision = std::make_shared<DeviceSupervision>(DeviceCheckWiring{*settings});
  supervision->RegisterCommands(*doc);
  const std::pair<std::int32_t, unsigned> intervals[] = {
      {0, 32835}, {15, 32822}, {30, 32823}, {60, 32829}, {120, 32830}};
  QMenu* devices = nullptr;
  for (QAction* top : frame->menuBar()->actions()) {
    if (top->menu() && FindCommandAction(*top->menu(), 32835)) devices = top->menu();
  }
  ASSERT_TRUE(devices);
  for (const auto& [seconds, command] : intervals) {
    // Chosen from the devices node's menu: running value and "PingTime" at once.
    auto menu = frame->Tree().ContextMenu(doc->DevicesNode());
    ASSERT_TRUE(menu);
    QAction* entry = FindCommandAction(*menu, command);
    ASSERT_TRUE(entry && entry->isEnabled()) << command;
    entry->trigger();
    EXPECT_EQ(doc->Settings().pingTime, seconds);
    EXPECT_EQ(Stored("PingTime"), seconds);
    // Both menus check exactly that entry.
    menu = frame->Tree().ContextMenu(doc->DevicesNode());
    emit devices->aboutToShow();
    for (const auto& [other, otherCommand] : intervals) {
      EXPECT_EQ(FindCommandAction(*menu, otherCommand)->isChecked(), other == seconds);
      EXPECT_EQ(FindCommandAction(*devices, otherCommand)->isChecked(), other == seconds);
    }
  }
}

}  // namespace
