// WindowSettings: the settings-store keys of the main window and the framework's recent files.
#pragma once

// Window size, splitter position and list column widths.
inline constexpr const char* kWindowKey = "Software\\Varnok\\Zelvox\\Settings";
// The framework's recent-file list: values "File1" to "File4".
inline constexpr const char* kRecentFileKey = "Software\\Varnok\\Zelvox\\Recent File List";
inline constexpr int kRecentFileCount = 4;
