// SettingsStore: the registry stand-in, one file per hive in $ZELVOX_HOME, written atomically.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_file.h"

enum class Hive { CurrentUser, ClassesRoot };  // HKCU, HKCR

// Keys are backslash-separated paths ("Software\\Varnok\\Zelvox\\Parameter"), compared without
// regard to case as in the registry; a value name "" is the key's default value. Values are
// 32-bit integers or texts (Windows-1252 bytes). Every change is written to disk at once by
// a temporary file and a rename, so a crash never leaves a half-written hive. Before a change
// the file is read again, so that changes another process made meanwhile are kept. Key names
// cannot contain control characters. Thread-safe.
class SettingsStore {
 public:
  // The store of a hive in the settings folder (see SettingsHome()).
  static SettingsStore& Of(Hive hive);
  // Forgets every loaded hive so that the next Of() reads the files again, from the folder
  // SettingsHome() names then (tests, restarts). Stores handed out before stay valid.
  static void ResetAll();

  explicit SettingsStore(std::string filePath);

  std::optional<std::int32_t> GetInt(const std::string& key, const std::string& name);
  std::optional<std::string> GetText(const std::string& key, const std::string& name);
  // Return false when the file cannot be written (the value is not kept then either) or the
  // key name is not allowed.
  bool SetInt(const std::string& key, const std::string& name, std::int32_t value);
  bool SetText(const std::string& key, const std::string& name, const std::string& value);
  // The deletions return false when there was nothing to delete or the file cannot be written.
  bool DeleteValue(const std::string& key, const std::string& name);
  // Deletes the key with its values and subkeys (not the root key "").
  bool DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  // Creates the key and its missing parents; true also when it exists.
  bool CreateKey(const std::string& key);
  // Direct subkey names and value names of a key, in their original case, sorted without regard
  // to case; empty when the key does not exist.
  std::vector<std::string> SubKeys(const std::string& key);
  std::vector<std::string> ValueNames(const std::string& key);

  const std::string& FilePath() const { return m_path; }

 private:
  // Reads the file again, applies `change` to the keys read and, when that changed anything,
  // writes them; the store's keys are what the file holds afterwards. `change` returns false
  // to refuse.
  bool Modify(const std::function<bool(SettingsKeys&)>& change);
  bool WriteFile(const SettingsKeys& keys);
  // The key at `path`, or null.
  const SettingsKey* Find(const std::string& path) const;
  const SettingsValue* FindValue(const std::string& key, const std::string& name) const;
  bool SetValue(const std::string& key, SettingsValue value);

  std::string m_path;
  std::recursive_mutex m_mutex;
  SettingsKeys m_keys;
};

// $ZELVOX_HOME, else $XDG_CONFIG_HOME/Varnok/Zelvox, else ~/.config/Varnok/Zelvox.
std::string SettingsHome();
