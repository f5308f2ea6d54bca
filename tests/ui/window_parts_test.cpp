// Tests of the window's smaller parts: file dialog filters, the about box, the help file lookup.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDialog>
#include <QLabel>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/current_language.h"
#include "ui/about_dialog.h"
#include "platform/help_files.h"
#include "ui/help_file.h"
#include "ui/menu_builder.h"
#include "ui/qt_file_dialogs.h"
#include "window_fixture.h"

namespace {

TEST(WindowParts, FileFiltersAndMenuTextsInQtForm) {
  EXPECT_EQ(QtFileFilter("ESF (*.esf)|*.esf|All Files (*.*)|*.*|"), "ESF (*.esf);;All Files (*)");
  EXPECT_EQ(QtFileFilter("Zelvox projects|*.zlv|"), "Zelvox projects (*.zlv)");
  EXPECT_EQ(QtFileFilter(""), "");
  EXPECT_EQ(MenuEntryText("&Open...\tCtrl+O"), "&Open...");
  EXPECT_EQ(MenuEntryShortcut("&Open...\tCtrl+O"), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_TRUE(MenuEntryShortcut("&Busmonitor").isEmpty());
}

TEST(WindowParts, AboutBoxShowsTheVersionWithItsBlank) {
  std::string error;
  ASSERT_TRUE(LoadLanguage(0, &error)) << error;
  std::unique_ptr<QDialog> about(CreateAboutDialog(nullptr));
  EXPECT_EQ(about->windowTitle().toStdString(), Language()->DialogTitle(100));
  auto* version = about->findChild<QLabel*>(QStringLiteral("control1000"));
  auto* empty = about->findChild<QLabel*>(QStringLiteral("control1050"));
  ASSERT_TRUE(version && empty);
  EXPECT_EQ(version->text(), "Version 2.1.1 ");
  EXPECT_EQ(empty->text(), "");
}

TEST(WindowParts, HelpFileIsLookedUpByLanguage) {
  char pattern[] = "/tmp/zelvox-help-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  std::ofstream(dir + "/Zelvox_D.html") << "<html></html>";
  setenv("ZELVOX_HELP_DIR", dir.c_str(), 1);
  EXPECT_EQ(FindHelpFile(1, "/nowhere"), dir + "/Zelvox_D.html");
  EXPECT_EQ(FindHelpFile(0, "/nowhere"), "");
  EXPECT_EQ(FindHelpFile(2, "/nowhere"), "");  // no manual for another language
  EXPECT_EQ(HelpFileName(0), "Zelvox_E.html");

  // A missing manual is said; a language without one does nothing.
  ScriptedPrompt prompt;
  OpenHelpFile(0, prompt);
  ASSERT_EQ(prompt.inserts.size(), 1u);
  EXPECT_NE(prompt.inserts[0].find("Zelvox_E.html"), std::string::npos);
  OpenHelpFile(2, prompt);
  EXPECT_EQ(prompt.inserts.size(), 1u);
  unsetenv("ZELVOX_HELP_DIR");
  std::filesystem::remove_all(dir);

  // Without the variable the program's own folder comes first, then the installed places.
  const std::vector<std::string> dirs = HelpFileDirectories("/opt/zelvox/bin");
  ASSERT_GE(dirs.size(), 3u);
  EXPECT_EQ(dirs[0], "/opt/zelvox/bin");
  EXPECT_EQ(dirs[1], "/opt/zelvox/bin/../share/zelvox/help");
}

}  // namespace
