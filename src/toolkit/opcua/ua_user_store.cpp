// UaUserStore: reading, writing and checking the users file.
#include "toolkit/opcua/ua_user_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/log.h"
#include "toolkit/opcua/ua_file_write.h"

namespace {
constexpr std::size_t kMaxNameBytes = 256;

}  // namespace

UaUserStore::UaUserStore(std::string path, UaScryptCost cost)
    : m_path(std::move(path)), m_cost(cost) {}

bool UaUserStore::ValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return c == ':' || u < 0x20 || u == 0x7F;
  });
}

bool UaUserStore::Load(std::string* error) {
  m_users.clear();
  struct stat info {};
  if (stat(m_path.c_str(), &info) != 0) {
    m_loaded = true;
    m_loadedTime = {};
    return true;  // no file yet: no users
  }
  std::ifstream in(m_path);
  if (!in) {
    if (error) *error = "cannot read " + m_path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::size_t first = line.find(':');
    std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    std::string access =
        second == std::string::npos ? std::string() : line.substr(first + 1, second - first - 1);
    if (second == std::string::npos || (access != "rw" && access != "ro") ||
        !ValidName(std::string_view(line).substr(0, first))) {
      if (error) *error = m_path + ":" + std::to_string(number) + ": not NAME:rw|ro:HASH";
      m_users.clear();
      return false;
    }
    m_users.push_back({line.substr(0, first), access == "ro", line.substr(second + 1)});
  }
  m_loaded = true;
  m_loadedTime = info.st_mtim;
  return true;
}

bool UaUserStore::Save(std::string* error) const {
  std::string text = "# OPC UA users of Zelvox: NAME:rw|ro:scrypt hash (zelvox-tool user ...)\n";
  for (const UaUser& user : m_users) {
    text += user.name + (user.readOnly ? ":ro:" : ":rw:") + user.hash + "\n";
  }
  return UaWriteFileAtomically(m_path, text, 0600, error);
}

bool UaUserStore::Add(const std::string& name, std::string_view password, bool readOnly,
                      std::string* error) {
  if (!ValidName(name)) {
    if (error) *error = "a user name is 1 to 256 bytes without ':' and control characters";
    return false;
  }
  if (!Load(error)) return false;
  std::string hash = UaHashPassword(password, m_cost);
  if (hash.empty()) {
    if (error) *error = "the password could not be hashed";
    return false;
  }
  auto it =
      std::find_if(m_users.begin(), m_users.end(), [&](const UaUser& u) { return u.name == name; });
  if (it == m_users.end()) {
    m_users.push_back({name, readOnly, std::move(hash)});
  } else {
    it->readOnly = readOnly;
    it->hash = std::move(hash);
  }
  return Save(error);
}

bool UaUserStore::Remove(const std::string& name, std::string* error) {
  if (!Load(error)) return false;
  auto it =
      std::find_if(m_users.begin(), m_users.end(), [&](const UaUser& u) { return u.name == name; });
  if (it == m_users.end()) {
    if (error) *error = "there is no user \"" + name + "\"";
    return false;
  }
  m_users.erase(it);
  return Save(error);
}

void UaUserStore::ReloadWhenChanged() {
  struct stat info {};
  std::timespec now = stat(m_path.c_str(), &info) == 0 ? info.st_mtim : std::timespec{};
  if (m_loaded && now.tv_sec == m_loadedTime.tv_sec && now.tv_nsec == m_loadedTime.tv_nsec) {
    return;
  }
  std::string error;
  if (!Load(&error)) Log(LogLevel::Error, "OPC UA: users: " + error + "; nobody can log in");
}

std::optional<UaUser> UaUserStore::Authenticate(std::string_view name, std::string_view password) {
  ReloadWhenChanged();
  auto it =
      std::find_if(m_users.begin(), m_users.end(), [&](const UaUser& u) { return u.name == name; });
  if (it == m_users.end()) {
    if (m_dummyHash.empty()) m_dummyHash = UaHashPassword("", m_cost);
    UaVerifyPassword(password, m_dummyHash);
    return std::nullopt;
  }
  if (!UaVerifyPassword(password, it->hash)) return std::nullopt;
  return *it;
}
