// Tests of the window's smaller parts: file dialog filters, the about box, the help file.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <memory>

#include "platform/current_language.h"
#include "platform/help_files.h"
#include "ui/about_dialog.h"
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
  // The tests run where no manual lies beside the program: a missing manual is said (with
  // its file name); a language without one does nothing.
  ASSERT_EQ(FindHelpFile(0), "");
  ScriptedPrompt prompt;
  OpenHelpFile(0, prompt);
  ASSERT_EQ(prompt.inserts.size(), 1u);
  EXPECT_NE(prompt.inserts[0].find("Zelvox_E.html"), std::string::npos);
  OpenHelpFile(1, prompt);
  ASSERT_EQ(prompt.inserts.size(), 2u);
  EXPECT_NE(prompt.inserts[1].find("Zelvox_D.html"), std::string::npos);
  OpenHelpFile(2, prompt);
  EXPECT_EQ(prompt.inserts.size(), 2u);
}

}  // namespace
