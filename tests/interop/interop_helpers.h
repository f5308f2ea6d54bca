// Helpers of the tests against knxd: the namespace check, waiting for a condition, reading logs,
// and starting knxd as a tunnel server on loopback.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "child_process.h"

// knxd joins KNX multicast on every interface: the tests only run where loopback is all there
// is. (Asked of the kernel for this process's namespace; /sys shows the namespace it was
// mounted in.)
bool OnlyLoopback();

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// Polls `done` every `step` until it holds (true) or `limit` has passed (false).
template <typename Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(5),
                std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(step);
  }
  return true;
}

// The name knxd gives in its answers to search requests.
constexpr const char* kKnxdName = "knxd interop";

// Starts knxd with a dummy bus, its client socket at `socket` and a KNXnet/IP tunnel server on
// UDP `port` that answers search requests (the multicast group of routing stays inside the
// namespace); its individual address is 1.0.1 and its output goes to `log`. True once the client
// socket exists, when the UDP server is up as well.
bool StartKnxd(ChildProcess& knxd, const std::filesystem::path& socket, int port,
               const std::filesystem::path& log);
