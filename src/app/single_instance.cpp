// SingleInstance: the lock file, the local socket, and the raise request between instances.
#include "app/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {

constexpr const char kRequest[] = "raise\n";
constexpr const char kReply[] = "ok\n";
constexpr int kReplyTimeoutMs = 2000;

// The socket address of `name`, which is a path or, starting with '\0', an abstract name.
socklen_t MakeAddress(const std::string& name, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() +
                                (name[0] == '\0' ? 0 : 1));
}

// Reads until `expected` arrived, the peer closed, or the time ran out.
bool Expect(int fd, std::string_view expected, int timeoutMs) {
  std::string got;
  while (got.size() < expected.size()) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[16];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got.starts_with(expected);
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

SingleInstance::SingleInstance(std::string folder) : m_folder(std::move(folder)) {
  const std::string path = m_folder + "/zelvox.sock";
  if (path.size() < sizeof(sockaddr_un::sun_path)) {
    m_socketName = path;
  } else {
    m_socketName =
        std::string(1, '\0') + "zelvox-" + std::to_string(std::hash<std::string>{}(path));
  }
}

SingleInstance::~SingleInstance() {
  if (m_thread.joinable()) {
    const char stop = 1;
    [[maybe_unused]] const ssize_t n = write(m_stopPipe[1], &stop, 1);
    m_thread.join();
  }
  CloseFd(m_stopPipe[0]);
  CloseFd(m_stopPipe[1]);
  if (m_listenFd >= 0) {
    CloseFd(m_listenFd);
    if (m_socketName[0] != '\0') unlink(m_socketName.c_str());
  }
  CloseFd(m_lockFd);  // releases the lock
}

SingleInstance::Outcome SingleInstance::Secure() {
  std::error_code ec;
  std::filesystem::create_directories(m_folder, ec);
  m_lockFd = open((m_folder + "/zelvox.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_lockFd < 0) return Outcome::First;
  if (flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
    CloseFd(m_lockFd);
    return Signal() ? Outcome::OtherSignalled : Outcome::OtherUnreachable;
  }
  // We hold the lock, so a socket file left there belongs to an instance that died.
  if (m_socketName[0] != '\0') unlink(m_socketName.c_str());
  m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  const socklen_t length = MakeAddress(m_socketName, address);
  if (m_listenFd >= 0 && (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
                          listen(m_listenFd, 4) != 0)) {
    CloseFd(m_listenFd);
  }
  return Outcome::First;
}

bool SingleInstance::Signal() {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address;
  const socklen_t length = MakeAddress(m_socketName, address);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                  send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) ==
                      static_cast<ssize_t>(sizeof kRequest - 1) &&
                  Expect(fd, kReply, kReplyTimeoutMs);
  CloseFd(fd);
  return ok;
}

void SingleInstance::Listen(std::function<void()> onRaise) {
  if (m_listenFd < 0 || m_thread.joinable() || pipe2(m_stopPipe, O_CLOEXEC) != 0) return;
  m_onRaise = std::move(onRaise);
  m_thread = std::thread([this] { Serve(); });
}

void SingleInstance::Serve() {
  for (;;) {
    pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    int peer = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) continue;
    // A peer that sends something else, or nothing within the time, is dropped.
    if (Expect(peer, kRequest, kReplyTimeoutMs)) {
      m_onRaise();
      send(peer, kReply, sizeof kReply - 1, MSG_NOSIGNAL);
    }
    CloseFd(peer);
  }
}
