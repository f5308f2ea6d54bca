// The application's own settings: language, start mode and start file, and the window's show mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/log.h"

class SettingsStore;

// "Language" (0 English, 1 German) and "Startmode" from the "Parameter" section, read at start.
struct StartSettings {
  std::int32_t language = 0;
  std::int32_t startmode = 0;
};
StartSettings ReadStartSettings(SettingsStore& store);

// "Startfile": the project opened at start when the file still exists; empty when none.
std::string ReadStartFile(SettingsStore& store);

// "LogLevel": the level of the log, as a name ("info") or a number (3 to 7); none when unset
// or not understood.
std::optional<LogLevel> ReadLogLevel(SettingsStore& store);

// How the main window appears: normal for a start by the user; for a start by a client
// minimised with "Startmode" 0, hidden otherwise.
enum class ShowMode { Normal, Minimized, Hidden };
ShowMode ChooseShowMode(bool startedByClient, std::int32_t startmode);

// The about dialog's version text (with its blank at the end).
inline constexpr const char* kAboutVersionText = "Version 2.1.1 ";
