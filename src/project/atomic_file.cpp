// AtomicFile: temporary file, fsync, rename.
#include "project/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The rename is only durable once the directory entry is on the disk as well.
void SyncDirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFile::~AtomicFile() {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

bool AtomicFile::Stage(std::string_view contents) {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
  std::string temp = m_target + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok) {
    ::unlink(temp.c_str());
    return false;
  }
  m_temp = std::move(temp);
  return true;
}

bool AtomicFile::Commit() {
  if (m_temp.empty()) return false;
  if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    ::unlink(m_temp.c_str());
    m_temp.clear();
    return false;
  }
  m_temp.clear();
  SyncDirectoryOf(m_target);
  return true;
}
