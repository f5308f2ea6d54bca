// ProgramFileDirectories and the manual's lookup: beside the program first, then its share folder.
#include "platform/program_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/help_files.h"

namespace {

namespace fs = std::filesystem;

TEST(ProgramFiles, LookedUpBesideTheProgramThenInItsShareFolder) {
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(ProgramFileDirectories("help"),
            (std::vector<std::string>{
                exe.parent_path().string(),
                (exe.parent_path().parent_path() / "share" / "zelvox" / "help").string()}));

  char pattern[] = "/tmp/zelvox-program-files-XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  fs::create_directories(dir / "bin");
  fs::create_directories(dir / "share" / "Zelvox_E.html");  // a folder is no file
  std::ofstream(dir / "share" / "Zelvox_D.html") << "<html>";
  const std::vector<std::string> dirs{(dir / "bin").string(), (dir / "share").string()};
  EXPECT_EQ(FindFileIn(dirs, HelpFileName(1)), (dir / "share" / "Zelvox_D.html").string());
  EXPECT_EQ(FindFileIn(dirs, HelpFileName(0)), "");
  std::ofstream(dir / "bin" / "Zelvox_D.html") << "<html>";
  EXPECT_EQ(FindFileIn(dirs, HelpFileName(1)), (dir / "bin" / "Zelvox_D.html").string());

  // A language without a manual has no file name and finds nothing.
  EXPECT_EQ(HelpFileName(2), "");
  EXPECT_EQ(FindFileIn(dirs, HelpFileName(2)), "");
  EXPECT_EQ(FindHelpFile(2), "");
  fs::remove_all(dir);
}

}  // namespace
