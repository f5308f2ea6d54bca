// Reading the start settings and choosing the show mode.
#include "app/app_settings.h"

#include "platform/settings_store.h"
#include "project/document_settings.h"

StartSettings ReadStartSettings(SettingsStore& store) {
  StartSettings s;
  s.language = store.GetInt(kParameterKey, "Language").value_or(0);
  s.startmode = store.GetInt(kParameterKey, "Startmode").value_or(0);
  return s;
}

std::string ReadStartFile(SettingsStore& store) {
  return store.GetText(kParameterKey, "Startfile").value_or(std::string());
}

std::optional<LogLevel> ReadLogLevel(SettingsStore& store) {
  if (auto text = store.GetText(kParameterKey, "LogLevel")) return ParseLogLevel(*text);
  if (auto number = store.GetInt(kParameterKey, "LogLevel")) {
    return ParseLogLevel(std::to_string(*number));
  }
  return std::nullopt;
}

ShowMode ChooseShowMode(bool startedByClient, std::int32_t startmode) {
  if (!startedByClient) return ShowMode::Normal;
  return startmode == 0 ? ShowMode::Minimized : ShowMode::Hidden;
}
