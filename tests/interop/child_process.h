// ChildProcess: a program started by a test (knxd, knxtool), stopped by its PID only.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // Starts args[0] (looked up in PATH) with its output appended to outputFile (or discarded
  // when empty); false when it could not be started.
  bool Start(const std::vector<std::string>& args, const std::string& outputFile = {});
  // SIGTERM to this process, then waits for it; returns its exit status (-1 if none ran).
  int Stop();
  // SIGTERM, then SIGKILL when the process has not ended within `grace`; returns its exit
  // status (128 + signal when killed).
  int Stop(std::chrono::milliseconds grace);
  // SIGKILL, as in a crash: the process cleans nothing up. Returns 128 + 9.
  int Kill();
  // Waits for the process to end by itself; returns its exit status.
  int Wait();
  bool Running() const { return m_pid > 0; }

 private:
  pid_t m_pid = -1;
};

// Runs a program to its end; returns its exit status.
int RunProgram(const std::vector<std::string>& args, const std::string& outputFile = {});
