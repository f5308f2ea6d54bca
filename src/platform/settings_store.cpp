// SettingsStore: the file-backed registry stand-in with atomic writes.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <utility>

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Control characters cannot stand in a key line of the file.
bool IsValidKeyPath(const std::string& path) {
  for (char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
  }
  return true;
}

std::string Title(const std::string& path) {
  return "Zelvox settings (" + std::filesystem::path(path).filename().string() +
         "); one [key] line per key, then its values";
}

struct Hives {
  std::mutex mutex;
  std::unique_ptr<SettingsStore> current[2];
  // Stores forgotten by ResetAll(): kept so that references handed out earlier stay valid.
  std::vector<std::unique_ptr<SettingsStore>> retired;
};

Hives& AllHives() {
  static Hives hives;
  return hives;
}

}  // namespace

std::string SettingsHome() {
  if (const char* home = std::getenv("ZELVOX_HOME"); home && *home) return home;
  // XDG asks to ignore a relative XDG_CONFIG_HOME.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
    return std::string(xdg) + "/Varnok/Zelvox";
  std::string user;
  if (const char* home = std::getenv("HOME"); home && *home) {
    user = home;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    user = pw->pw_dir;
  }
  return user + "/.config/Varnok/Zelvox";
}

SettingsStore& SettingsStore::Of(Hive hive) {
  Hives& hives = AllHives();
  std::lock_guard lock(hives.mutex);
  auto& store = hives.current[hive == Hive::CurrentUser ? 0 : 1];
  if (!store) {
    const char* file = hive == Hive::CurrentUser ? "/HKCU.reg" : "/HKCR.reg";
    store = std::make_unique<SettingsStore>(SettingsHome() + file);
  }
  return *store;
}

void SettingsStore::ResetAll() {
  Hives& hives = AllHives();
  std::lock_guard lock(hives.mutex);
  for (auto& store : hives.current) {
    if (store) hives.retired.push_back(std::move(store));
  }
}

SettingsStore::SettingsStore(std::string filePath)
    : m_path(std::move(filePath)), m_keys(ParseSettingsText(ReadWholeFile(m_path))) {}

const SettingsKey* SettingsStore::Find(const std::string& path) const {
  const auto it = m_keys.find(FoldSettingsPath(path));
  return it == m_keys.end() ? nullptr : &it->second;
}

const SettingsValue* SettingsStore::FindValue(const std::string& key,
                                              const std::string& name) const {
  const SettingsKey* k = Find(key);
  if (!k) return nullptr;
  const auto it = k->values.find(FoldSettingsName(name));
  return it == k->values.end() ? nullptr : &it->second;
}

std::optional<std::int32_t> SettingsStore::GetInt(const std::string& key, const std::string& name) {
  std::lock_guard lock(m_mutex);
  const SettingsValue* v = FindValue(key, name);
  if (!v || v->isText) return std::nullopt;
  return v->number;
}

std::optional<std::string> SettingsStore::GetText(const std::string& key, const std::string& name) {
  std::lock_guard lock(m_mutex);
  const SettingsValue* v = FindValue(key, name);
  if (!v || !v->isText) return std::nullopt;
  return v->text;
}

bool SettingsStore::SetValue(const std::string& key, SettingsValue value) {
  if (!IsValidKeyPath(key)) return false;
  return Modify([&](SettingsKeys& keys) {
    SettingsKey& k = keys[EnsureSettingsKey(keys, key)];
    SettingsValue& slot = k.values[FoldSettingsName(value.name)];
    // A value written again under a name of different case keeps the name it has.
    if (!slot.name.empty() || value.name.empty()) value.name = slot.name;
    slot = std::move(value);
    return true;
  });
}

bool SettingsStore::SetInt(const std::string& key, const std::string& name, std::int32_t value) {
  SettingsValue v;
  v.name = name;
  v.number = value;
  return SetValue(key, std::move(v));
}

bool SettingsStore::SetText(const std::string& key, const std::string& name,
                            const std::string& value) {
  SettingsValue v;
  v.name = name;
  v.isText = true;
  v.text = value;
  return SetValue(key, std::move(v));
}

bool SettingsStore::DeleteValue(const std::string& key, const std::string& name) {
  return Modify([&](SettingsKeys& keys) {
    const auto k = keys.find(FoldSettingsPath(key));
    return k != keys.end() && k->second.values.erase(FoldSettingsName(name)) > 0;
  });
}

bool SettingsStore::DeleteKey(const std::string& key) {
  const std::string folded = FoldSettingsPath(key);
  if (folded.empty()) return false;
  return Modify([&](SettingsKeys& keys) {
    if (keys.erase(folded) == 0) return false;
    // The subkeys follow their key directly in folded order.
    const std::string prefix = folded + '\\';
    auto it = keys.lower_bound(prefix);
    while (it != keys.end() && it->first.starts_with(prefix)) it = keys.erase(it);
    return true;
  });
}

bool SettingsStore::KeyExists(const std::string& key) {
  std::lock_guard lock(m_mutex);
  return Find(key) != nullptr;
}

bool SettingsStore::CreateKey(const std::string& key) {
  if (!IsValidKeyPath(key)) return false;
  return Modify([&](SettingsKeys& keys) {
    EnsureSettingsKey(keys, key);
    return true;
  });
}

std::vector<std::string> SettingsStore::SubKeys(const std::string& key) {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> names;
  const std::string folded = FoldSettingsPath(key);
  if (!m_keys.contains(folded)) return names;
  const std::string prefix = folded.empty() ? folded : folded + '\\';
  for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.starts_with(prefix);
       ++it) {
    const std::string_view rest = std::string_view(it->first).substr(prefix.size());
    if (rest.empty() || rest.find('\\') != std::string_view::npos) continue;
    const std::string& path = it->second.path;
    names.push_back(path.substr(path.rfind('\\') + 1));
  }
  return names;
}

std::vector<std::string> SettingsStore::ValueNames(const std::string& key) {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> names;
  if (const SettingsKey* k = Find(key)) {
    for (const auto& [folded, value] : k->values) names.push_back(value.name);
  }
  return names;
}

bool SettingsStore::Modify(const std::function<bool(SettingsKeys&)>& change) {
  std::lock_guard lock(m_mutex);
  SettingsKeys disk = ParseSettingsText(ReadWholeFile(m_path));
  SettingsKeys next = disk;
  // Nothing is written when the change is refused or changes nothing (a value written back
  // with the value it has).
  if (!change(next) || (next != disk && !WriteFile(next))) {
    m_keys = std::move(disk);
    return false;
  }
  m_keys = std::move(next);
  return true;
}

bool SettingsStore::WriteFile(const SettingsKeys& keys) {
  const std::filesystem::path file(m_path);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  std::string temp = m_path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  const bool written = WriteAll(fd, FormatSettingsText(keys, Title(m_path))) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), m_path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  if (const int dir = open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}
