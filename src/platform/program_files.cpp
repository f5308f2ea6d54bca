// ProgramFileDirectories: the running program's directory and its share folder.
#include "platform/program_files.h"

#include <filesystem>

namespace fs = std::filesystem;

std::vector<std::string> ProgramFileDirectories(std::string_view kind) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return {};
  const fs::path dir = exe.parent_path();
  return {dir.string(), (dir.parent_path() / "share" / "zelvox" / kind).string()};
}

std::string FindFileIn(const std::vector<std::string>& directories, std::string_view fileName) {
  if (fileName.empty()) return {};
  for (const std::string& dir : directories) {
    const fs::path candidate = fs::path(dir) / fileName;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return {};
}
