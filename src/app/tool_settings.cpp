// zelvox-tool settings [get NAME | set NAME VALUE]: the settings with their values and defaults,
// one of them, or a new value checked as the dialogs check it.
#include <filesystem>
#include <string>

#include "app/setting_definitions.h"
#include "app/tool_command.h"
#include "platform/code_page.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"

namespace {

// The stored value as text (UTF-8), or the default when none is stored.
std::string ValueText(SettingsStore& store, const SettingDefinition& setting) {
  const std::string name(setting.name);
  if (setting.isText) return AnsiToUtf8(store.GetText(kParameterKey, name).value_or(""));
  return std::to_string(store.GetInt(kParameterKey, name).value_or(setting.defaultNumber));
}

std::string DefaultText(const SettingDefinition& setting) {
  return setting.isText ? std::string() : std::to_string(setting.defaultNumber);
}

const SettingDefinition* Known(std::string_view name, std::ostream& err) {
  const SettingDefinition* setting = FindSetting(name);
  if (!setting) {
    err << "zelvox-tool: there is no setting \"" << name
        << "\"; zelvox-tool settings lists them all\n";
  }
  return setting;
}

int Set(SettingsStore& store, const SettingDefinition& setting, std::string_view value,
        std::ostream& err) {
  const std::string name(setting.name);
  bool written = false;
  if (setting.isText) {
    // The server may run in another folder (a service's is /), so the path is kept absolute.
    std::string path(value);
    if (!path.empty()) {
      std::error_code ec;
      path = std::filesystem::absolute(path, ec).lexically_normal().string();
      if (ec) {
        err << "zelvox-tool: " << setting.name << " \"" << value << "\" is no usable path\n";
        return kToolFailed;
      }
    }
    written = store.SetText(kParameterKey, name, Utf8ToAnsi(path));
  } else {
    const auto number = CheckSettingNumber(setting, value);
    if (!number) {
      err << "zelvox-tool: " << setting.name << " must be " << AllowedValuesText(setting)
          << ", not \"" << value << "\"\n";
      return kToolFailed;
    }
    written = store.SetInt(kParameterKey, name, *number);
  }
  if (!written) {
    err << "zelvox-tool: the settings file " << store.FilePath() << " cannot be written\n";
    return kToolFailed;
  }
  return kToolOk;
}

}  // namespace

int RunSettings(ToolArgs args, std::ostream& out, std::ostream& err) {
  SettingsStore& store = SettingsStore::Of(Hive::CurrentUser);
  if (args.empty()) {
    // One line per setting: name, value, default, allowed values, meaning.
    for (const SettingDefinition& setting : SettingDefinitions()) {
      out << setting.name << '\t' << ValueText(store, setting) << '\t' << DefaultText(setting)
          << '\t' << AllowedValuesText(setting) << '\t' << setting.meaning << '\n';
    }
    return kToolOk;
  }
  if (args.size() == 2 && args[0] == "get") {
    const SettingDefinition* setting = Known(args[1], err);
    if (!setting) return kToolFailed;
    out << ValueText(store, *setting) << '\n';
    return kToolOk;
  }
  if (args.size() == 3 && args[0] == "set") {
    const SettingDefinition* setting = Known(args[1], err);
    return setting ? Set(store, *setting, args[2], err) : kToolFailed;
  }
  err << "zelvox-tool: settings takes no arguments, get NAME, or set NAME VALUE\n";
  return kToolUsage;
}
