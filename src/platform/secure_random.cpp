// SecureRandomBytes over getrandom(2), retried after interruptions and short reads.
#include "platform/secure_random.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

void SecureRandomBytes(void* data, std::size_t size) {
  auto* out = static_cast<unsigned char*>(data);
  while (size > 0) {
    ssize_t got = getrandom(out, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    out += got;
    size -= static_cast<std::size_t>(got);
  }
}

std::string SecureRandomString(std::size_t size) {
  std::string out(size, '\0');
  SecureRandomBytes(out.data(), size);
  return out;
}
