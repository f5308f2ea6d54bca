// The process-wide language resources.
#include "platform/current_language.h"

#include <mutex>

#include "platform/language_files.h"

namespace {

std::mutex g_mutex;

std::shared_ptr<const LanguageResources>& Current() {
  static std::shared_ptr<const LanguageResources> current =
      std::make_shared<const LanguageResources>();
  return current;
}

}  // namespace

std::shared_ptr<const LanguageResources> Language() {
  std::lock_guard lock(g_mutex);
  return Current();
}

void SetLanguage(std::shared_ptr<const LanguageResources> resources) {
  if (!resources) resources = std::make_shared<const LanguageResources>();
  std::lock_guard lock(g_mutex);
  Current() = std::move(resources);
}

bool LoadLanguage(int language, std::string* error) {
  const std::string name = LanguageFileName(language);
  if (name.empty()) {
    if (error) *error = "no language file for language " + std::to_string(language);
    return false;
  }
  const std::string path = FindLanguageFile(name);
  if (path.empty()) {
    if (error) {
      *error = name + " not found in:";
      for (const std::string& dir : LanguageFileDirectories()) *error += " " + dir;
    }
    return false;
  }
  auto resources = std::make_shared<LanguageResources>();
  if (!resources->Load(path, error)) return false;
  SetLanguage(std::move(resources));
  return true;
}
