// ETS4 conversion: the text conversion, the backup and the command.
#include "project/ets4_conversion.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/code_page.h"
#include "platform/prompt.h"
#include "project/atomic_file.h"
#include "project/dorazivaz_doc.h"
#include "project/file_dialogs.h"
#include "project/file_text.h"

std::string ConvertEts4Text(std::string_view utf8) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  const std::string ansi = Utf8ToAnsi(utf8);
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 16);
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    // CR LF and LF alike become CR LF; a CR of its own is kept as it is.
    if (ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') continue;
    if (ansi[i] == '\n') out.push_back('\r');
    out.push_back(ansi[i]);
  }
  return out;
}

std::string Ets4BackupPath(std::string_view path) {
  return std::filesystem::path(path).replace_extension(".ets4backup").string();
}

bool ConvertEts4File(const std::string& path) {
  const std::optional<std::string> text = ReadFileText(path);
  if (!text) return false;
  AtomicFile converted(path);
  if (!converted.Stage(ConvertEts4Text(*text))) return false;
  const std::string backup = Ets4BackupPath(path);
  std::error_code error;
  const bool backedUp =
      !std::filesystem::exists(backup, error) && std::rename(path.c_str(), backup.c_str()) == 0;
  if (converted.Commit()) return true;
  if (backedUp) std::rename(backup.c_str(), path.c_str());
  return false;
}

void OnConvertEts4(CDORAzivazDoc& doc) {
  FileDialogs* dialogs = doc.Dialogs();
  if (!dialogs) return;
  FileDialogRequest request;
  request.filter = "ESF (*.esf)|*.esf|All Files (*.*)|*.*|";
  request.defaultExtension = "esf";
  request.defaultFileName = "project.esf";
  request.mustExist = true;
  const std::optional<std::string> path = dialogs->OpenFile(request);
  if (!path) return;
  if (ConvertEts4File(*path)) doc.GetPrompt().Show(kStrEts4Converted, {}, PromptKind::Information);
}
