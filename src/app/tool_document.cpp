// ToolDocument: the document with a private settings folder, messages on stderr.
#include "app/tool_document.h"

#include "platform/current_language.h"
#include "project/equal_no_case.h"
#include "project/esf_import.h"

namespace {

// The user's language for the document's messages; English when it cannot be loaded.
bool LoadUserLanguage() {
  const int language =
      SettingsStore::Of(Hive::CurrentUser).GetInt(kParameterKey, "Language").value_or(0);
  std::string error;
  return LoadLanguage(language, &error) || LoadLanguage(0, &error);
}

}  // namespace

ToolDocument::ToolDocument(std::ostream& err)
    : m_err(err),
      m_languageLoaded(LoadUserLanguage()),
      m_prompt(err, "zelvox-tool"),
      m_headless(m_prompt, [](unsigned id) { return Language()->String(id); }) {}

bool ToolDocument::Open(const std::string& path) {
  // An ESF export is imported in memory; the import prints its own failure messages.
  const auto dot = path.rfind('.');
  if (dot != std::string::npos && EqualNoCase(std::string_view(path).substr(dot), ".esf")) {
    const EsfImportResult result = ImportEsfFile(Doc(), path, nullptr);
    if (result == EsfImportResult::kNotOpened) m_err << "zelvox-tool: cannot read " << path << '\n';
    return result == EsfImportResult::kImported;
  }
  if (Doc().LoadProject(path)) return true;
  m_err << "zelvox-tool: cannot read " << path << '\n';
  return false;
}
