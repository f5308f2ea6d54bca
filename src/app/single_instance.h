// SingleInstance: one running zelvox per settings folder; a second start signals the first.
#pragma once

#include <functional>
#include <string>
#include <thread>

// The first instance holds an exclusive lock on "zelvox.lock" in the settings folder for its
// whole life and listens on a local socket ("zelvox.sock" there, or an abstract socket when
// that path is too long). A later start finds the lock taken, connects, sends "raise" and
// waits for the first instance's "ok": the first instance then shows its window.
class SingleInstance {
 public:
  enum class Outcome {
    First,             // this is the only instance; Listen() may be called
    OtherSignalled,    // another instance runs and was asked to show itself
    OtherUnreachable,  // another instance holds the lock but did not answer
  };

  explicit SingleInstance(std::string folder);
  // Stops listening, removes the socket and releases the lock.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock or, when another instance has it, signals that one. When the lock file
  // cannot be made at all, the program runs as the first instance without the guarantee.
  Outcome Secure();

  // First instance: runs `onRaise` on a thread of its own for every later start.
  void Listen(std::function<void()> onRaise);

 private:
  bool Signal();
  void Serve();

  std::string m_folder;
  std::string m_socketName;  // a path, or '\0' and a name for an abstract socket
  int m_lockFd = -1;
  int m_listenFd = -1;
  int m_stopPipe[2] = {-1, -1};
  std::function<void()> m_onRaise;
  std::thread m_thread;
};
