// ToolDocument: the document with a private settings folder, messages on stderr.
#include "app/tool_document.h"

#include <stdlib.h>

#include <filesystem>

#include "platform/current_language.h"
#include "project/equal_no_case.h"
#include "project/esf_import.h"

namespace {

std::string MakeSettingsDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvox-tool-XXXXXX").string();
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

// The user's language for the document's messages; English when it cannot be loaded.
void LoadUserLanguage() {
  const int language =
      SettingsStore::Of(Hive::CurrentUser).GetInt(kParameterKey, "Language").value_or(0);
  std::string error;
  if (!LoadLanguage(language, &error)) LoadLanguage(0, &error);
}

}  // namespace

ToolDocument::ToolDocument(std::ostream& err)
    : m_err(err), m_settingsDir(MakeSettingsDir()), m_prompt(err) {
  LoadUserLanguage();
  // Without a private folder the store's writes fail and the document runs on its defaults.
  m_settings = std::make_unique<SettingsStore>(
      (m_settingsDir.empty() ? std::string("/nonexistent") : m_settingsDir) + "/settings");
  CDORAzivazDoc::Services services{m_callback, m_prompt, m_loop, *m_settings};
  services.strings = [](unsigned id) { return Language()->String(id); };
  m_doc = std::make_unique<CDORAzivazDoc>(services);
}

ToolDocument::~ToolDocument() {
  m_doc.reset();
  if (!m_settingsDir.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_settingsDir, ignored);
  }
}

bool ToolDocument::Open(const std::string& path) {
  // An ESF export is imported in memory; the import prints its own failure messages.
  const auto dot = path.rfind('.');
  if (dot != std::string::npos && EqualNoCase(std::string_view(path).substr(dot), ".esf")) {
    const EsfImportResult result = ImportEsfFile(*m_doc, path, nullptr);
    if (result == EsfImportResult::kNotOpened) m_err << "zelvox-tool: cannot read " << path << '\n';
    return result == EsfImportResult::kImported;
  }
  if (m_doc->LoadProject(path)) return true;
  m_err << "zelvox-tool: cannot read " << path << '\n';
  return false;
}
