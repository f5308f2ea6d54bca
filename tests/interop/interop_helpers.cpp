// Helpers of the tests against knxd.
#include "interop_helpers.h"

#include <net/if.h>

#include <fstream>
#include <sstream>

bool OnlyLoopback() {
  struct if_nameindex* names = if_nameindex();
  if (names == nullptr) return false;
  bool onlyLo = true;
  for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
    if (std::string(n->if_name) != "lo") onlyLo = false;
  }
  if_freenameindex(names);
  return onlyLo;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool StartKnxd(ChildProcess& knxd, const std::filesystem::path& socket, int port,
               const std::filesystem::path& log) {
  std::filesystem::remove(socket);
  if (!knxd.Start({"knxd", "-e", "1.0.1", "-E", "1.0.10:10", "-u", socket.string(), "-b", "dummy:",
                   "-T", "-D", "-n", kKnxdName, "-S", "239.255.36.71:" + std::to_string(port)},
                  log.string())) {
    return false;
  }
  return Eventually([&] { return std::filesystem::exists(socket); });
}
