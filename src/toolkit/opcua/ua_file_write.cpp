// UaWriteFileAtomically: temporary file, fsync, rename.
#include "toolkit/opcua/ua_file_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool UaWriteFileAtomically(const std::string& path, std::string_view data, mode_t mode,
                           std::string* error) {
  std::string temp = path + ".new";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  bool ok = fd >= 0;
  std::size_t done = 0;
  while (ok && done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    ok = n > 0 || (n < 0 && errno == EINTR);
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  if (fd >= 0) ok = fsync(fd) == 0 && ok;
  if (fd >= 0) ok = close(fd) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(temp.c_str());
  }
  return ok;
}
