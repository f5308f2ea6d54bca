// HelpFile: looking up the manual beside the program and handing it to the desktop.
#include "ui/help_file.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <cstdlib>
#include <filesystem>

#include "platform/help_files.h"
#include "platform/prompt.h"
#include "ui/ansi_text.h"

std::vector<std::string> HelpFileDirectories(const std::string& programDir) {
  if (const char* dir = std::getenv("ZELVOX_HELP_DIR"); dir && *dir) return {dir};
  const std::filesystem::path program(programDir);
  return {program.string(), (program / ".." / "share" / "zelvox" / "help").string(),
          (program / ".." / "share" / "doc" / "zelvox").string(), ZELVOX_HELP_DIR};
}

std::string FindHelpFile(std::int32_t language, const std::string& programDir) {
  const std::string name = HelpFileName(language);
  if (name.empty()) return {};
  for (const std::string& dir : HelpFileDirectories(programDir)) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    if (std::filesystem::is_regular_file(path, ec)) return path.lexically_normal().string();
  }
  return {};
}

void OpenHelpFile(std::int32_t language, Prompt& prompt) {
  const std::string name = HelpFileName(language);
  if (name.empty()) return;
  const std::string path =
      FindHelpFile(language, QCoreApplication::applicationDirPath().toStdString());
  if (path.empty()) {
    prompt.AskText("The help file " + name + " was not found beside the program.",
                   PromptKind::Error, PromptButtons::Ok);
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
    prompt.AskText(
        "The desktop could not open the help file " + ToAnsi(QString::fromStdString(path)) + ".",
        PromptKind::Error, PromptButtons::Ok);
  }
}
