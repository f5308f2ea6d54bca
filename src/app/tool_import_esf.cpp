// zelvox-tool import-esf: an ESF export into a project file and its device file.
#include <unistd.h>

#include <optional>

#include "app/tool_command.h"
#include "app/tool_document.h"
#include "app/tool_progress_bar.h"
#include "project/esf_import.h"

int RunImportEsf(ToolArgs args, std::ostream&, std::ostream& err) {
  if (args.size() != 2) {
    err << "zelvox-tool: import-esf takes an ESF export and a project file\n";
    return kToolUsage;
  }
  const std::string in(args[0]), projectPath(args[1]);
  ToolDocument tool(err);
  // Scripts that collect stderr get the messages only, not the bar.
  std::optional<ToolProgressBar> bar;
  if (::isatty(STDERR_FILENO)) bar.emplace(err);
  const EsfImportResult result = ImportEsfFile(tool.Doc(), in, bar ? &*bar : nullptr);
  if (result == EsfImportResult::kNotOpened) err << "zelvox-tool: cannot read " << in << '\n';
  if (result != EsfImportResult::kImported) return kToolFailed;
  if (!tool.Doc().StoreProject(projectPath)) {
    err << "zelvox-tool: cannot write " << projectPath << '\n';
    return kToolFailed;
  }
  return kToolOk;
}
