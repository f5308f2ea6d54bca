// AtomicFile: a file replaced as a whole, so that a failure or a crash keeps the old one.
#pragma once

#include <string>
#include <string_view>

// Stage() writes the new contents to a temporary file beside the target and flushes them to
// the disk; Commit() renames it over the target. Until Commit() the target is untouched; a
// staged file that is never committed is removed by the destructor.
class AtomicFile {
 public:
  explicit AtomicFile(std::string target) : m_target(std::move(target)) {}
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  bool Stage(std::string_view contents);
  bool Commit();
  const std::string& Target() const { return m_target; }

 private:
  std::string m_target;
  std::string m_temp;  // non-empty while a staged file exists
};
