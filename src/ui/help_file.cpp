// HelpFile: handing the manual found beside the program to the desktop.
#include "ui/help_file.h"

#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "platform/help_files.h"
#include "platform/prompt.h"
#include "ui/ansi_text.h"

void OpenHelpFile(std::int32_t language, Prompt& prompt) {
  const std::string name = HelpFileName(language);
  if (name.empty()) return;
  const std::string path = FindHelpFile(language);
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
