// The headless service's end with a modified project, in process: the file stays untouched.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/headless_service.h"
#include "app/stderr_prompt.h"
#include "app/zelvox_application.h"
#include "knx/driver_interface_chooser.h"
#include "platform/event_loop.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"
#include "run_tool.h"
#include "toolkit/toolkit.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HeadlessEnd, AModifiedProjectIsNotSavedOverItsFileAndTheLogSaysSo) {
  std::string pattern = (fs::temp_directory_path() / "zelvox-end-XXXXXX").string();
  const std::string dir = mkdtemp(pattern.data());
  setenv("ZELVOX_HOME", (dir + "/home").c_str(), 1);
  SettingsStore::ResetAll();
  SettingsStore::Of(Hive::CurrentUser)
      .SetText(kBusAccessKey, kDefaultInterfaceValue, "Virtual bus");
  const std::string project = dir + "/demo.zlv";
  ASSERT_EQ(RunTool({"import-esf", ZELVOX_DEMO_ESF, project}).exitCode, 0);
  const std::string before = ReadBytes(project);

  CommandLine line;
  line.headless = true;
  line.opcUaPort = 0;
  line.projectFile = project;
  std::ostringstream err;
  StderrPrompt prompt(err);
  EventLoop loop;
  {
    ZelvoxApplication app(line, ZELVOX_PATH, prompt);
    ASSERT_FALSE(app.InitInstance(loop, {})) << err.str();
    EXPECT_TRUE(app.ServerStarted());
    app.Document()->SetModifiedFlag();
    EndHeadless(app, err);
    EXPECT_EQ(app.Document(), nullptr);
    EXPECT_EQ(ToolkitServingPort(), 0);
  }
  EXPECT_NE(err.str().find("Save changes to"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("not saved; " + project + " is left as it was"), std::string::npos)
      << err.str();
  EXPECT_EQ(ReadBytes(project), before);

  unsetenv("ZELVOX_HOME");
  SettingsStore::ResetAll();
  fs::remove_all(dir);
}

}  // namespace
