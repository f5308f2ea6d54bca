// Finding the language resource files.
#include "platform/language_files.h"

#include <cstdlib>
#include <filesystem>

#ifndef ZELVOX_LANG_DIR
#define ZELVOX_LANG_DIR ""
#endif

namespace fs = std::filesystem;

std::string LanguageFileName(int language) {
  switch (language) {
    case 0:
      return "resdll_E";
    case 1:
      return "resdll_D";
    default:
      return {};
  }
}

std::vector<std::string> LanguageFileDirectories() {
  std::vector<std::string> dirs;
  // An explicit directory is the only one searched, so that a test can make the files missing.
  if (const char* env = std::getenv("ZELVOX_LANG_DIR"); env && *env) return {env};
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && exe.has_parent_path()) {
    dirs.push_back(exe.parent_path().string());
    dirs.push_back((exe.parent_path().parent_path() / "share" / "zelvox" / "lang").string());
  }
  if (*ZELVOX_LANG_DIR) dirs.emplace_back(ZELVOX_LANG_DIR);
  return dirs;
}

std::string FindLanguageFile(std::string_view fileName) {
  if (fileName.empty()) return {};
  for (const std::string& dir : LanguageFileDirectories()) {
    const fs::path candidate = fs::path(dir) / fileName;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return {};
}

std::string LanguageLoadFailureText(int language) {
  switch (language) {
    case 0:
      return "Error loading 'resdll_E.dll'. Reinstall Zelvox!";
    case 1:
      return "Fehler beim Laden von 'resdll_D.dll'. Installieren sie den Zelvox neu!";
    default:
      return {};
  }
}
