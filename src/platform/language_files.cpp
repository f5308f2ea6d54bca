// Finding the language resource files.
#include "platform/language_files.h"

#include <cstdlib>

#include "platform/program_files.h"

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
  // An explicit directory is the only one searched, so that a test can make the files missing.
  if (const char* env = std::getenv("ZELVOX_LANG_DIR"); env && *env) return {env};
  return ProgramFileDirectories("lang");
}

std::string FindLanguageFile(std::string_view fileName) {
  return FindFileIn(LanguageFileDirectories(), fileName);
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
