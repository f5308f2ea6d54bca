// UaUserStore: the users who may log in to the OPC UA server with user name and password, kept
// in a file with their access (read-write or read-only) and salted, slow password hashes.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_password_hash.h"

struct UaUser {
  std::string name;
  bool readOnly = false;
  std::string hash;  // UaHashPassword's text
};

// The file holds one user a line, "NAME:rw:HASH" or "NAME:ro:HASH"; lines starting with "#"
// are comments. It is written atomically and readable by its owner only.
class UaUserStore {
 public:
  explicit UaUserStore(std::string path, UaScryptCost cost = {});
  const std::string& Path() const { return m_path; }

  // The users in the file now (none when it does not exist); false with the reason when it
  // cannot be read or a line is malformed.
  bool Load(std::string* error);
  const std::vector<UaUser>& Users() const { return m_users; }

  // Adds the user, or gives an existing one a new password and access; then saves. Names are
  // UTF-8 without ':' and control characters, 1 to 256 bytes.
  bool Add(const std::string& name, std::string_view password, bool readOnly, std::string* error);
  // Removes the user and saves; false when there is none of that name.
  bool Remove(const std::string& name, std::string* error);

  // The user when name and password match. The file is read again first when it changed since
  // (users added by the tool while the server runs). An unknown name costs the same time as a
  // wrong password, so that the answer's timing does not tell which of the two was wrong.
  std::optional<UaUser> Authenticate(std::string_view name, std::string_view password);

  static bool ValidName(std::string_view name);

 private:
  bool Save(std::string* error) const;
  void ReloadWhenChanged();

  std::string m_path;
  UaScryptCost m_cost;
  std::vector<UaUser> m_users;
  std::timespec m_loadedTime{};  // modification time of the file as last loaded
  bool m_loaded = false;
  std::string m_dummyHash;  // compared against for unknown names
};
