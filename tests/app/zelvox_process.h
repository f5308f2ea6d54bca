// ZelvoxProcess: the zelvox program started by a test with its own settings folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

// Started with posix_spawn, stderr to a file; the environment is the test's with `env` laid
// over it. Stopped by its PID only; a process still running at destruction is killed.
class ZelvoxProcess {
 public:
  // `program` is the built zelvox unless a test names another (an unpacked package's).
  ZelvoxProcess(std::vector<std::string> args, std::map<std::string, std::string> env,
                std::string errPath, std::string program = ZELVOX_PATH);
  ~ZelvoxProcess();
  ZelvoxProcess(const ZelvoxProcess&) = delete;
  ZelvoxProcess& operator=(const ZelvoxProcess&) = delete;

  bool Started() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }
  // The exit code once the process ended within `limit`; -1 when it is still running (or
  // ended by a signal).
  int WaitExit(std::chrono::milliseconds limit);
  // Sends `signal` and waits for the exit as above.
  int Signal(int signal, std::chrono::milliseconds limit);
  // The port of the "serving opc.tcp://127.0.0.1:N" line, 0 when none came within `limit`.
  int ServingPort(std::chrono::milliseconds limit = std::chrono::seconds(10));
  std::string Err() const;

 private:
  pid_t m_pid = -1;
  std::string m_errPath;
};

// Runs zelvox to its end (at most 20 s) and returns its exit code and stderr.
struct ZelvoxResult {
  int exitCode = -1;
  std::string err;
};
ZelvoxResult RunZelvox(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& env, const std::string& errPath);
