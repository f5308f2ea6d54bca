// SettingsStore: the registry stand-in, one file per hive in $ZELVOX_HOME, written atomically.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

enum class Hive { CurrentUser, ClassesRoot };  // HKCU, HKCR

// Keys are backslash-separated paths ("Software\\Varnok\\Zelvox\\Parameter"), compared without
// regard to case as in the registry; a value name "" is the key's default value. Values are
// 32-bit integers or texts (Windows-1252 bytes). Every change is written to disk at once by
// a temporary file and a rename, so a crash never leaves a half-written hive.
class SettingsStore {
 public:
  // The store of a hive in the settings folder (see SettingsHome()).
  static SettingsStore& Of(Hive hive);
  // Forgets every loaded hive so that the next Of() reads the files again (tests, restarts).
  static void ResetAll();

  explicit SettingsStore(std::string filePath);

  std::optional<std::int32_t> GetInt(const std::string& key, const std::string& name);
  std::optional<std::string> GetText(const std::string& key, const std::string& name);
  // Return false when the file cannot be written (the value is not kept then either).
  bool SetInt(const std::string& key, const std::string& name, std::int32_t value);
  bool SetText(const std::string& key, const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& key, const std::string& name);
  // Deletes the key with its values and subkeys.
  bool DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  bool CreateKey(const std::string& key);
  // Direct subkey names and value names of a key.
  std::vector<std::string> SubKeys(const std::string& key);
  std::vector<std::string> ValueNames(const std::string& key);

  const std::string& FilePath() const { return m_path; }

 private:
  // implementation-defined members
  std::string m_path;
  std::recursive_mutex m_mutex;
};

// $ZELVOX_HOME, else $XDG_CONFIG_HOME/Varnok/Zelvox, else ~/.config/Varnok/Zelvox.
std::string SettingsHome();
