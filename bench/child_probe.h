// ChildProbe: starting a child process for a benchmark and watching it: the line it prints
// when ready, its CPU time and its resident memory.
#pragma once

#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

class ChildProbe {
 public:
  // Starts `argv` with `extraEnv` ("NAME=value") added to this environment and waits until
  // the child's stdout (or stderr) shows a line starting with `prefix`; that line is kept.
  // Running() is false when the child could not start or ended before.
  ChildProbe(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
             bool watchStderr, const std::string& prefix);
  ~ChildProbe();
  ChildProbe(const ChildProbe&) = delete;
  ChildProbe& operator=(const ChildProbe&) = delete;

  bool Running() const { return m_pid > 0 && !m_line.empty(); }
  const std::string& ReadyLine() const { return m_line; }
  // Seconds from the start to the ready line.
  double StartSeconds() const { return m_startSeconds; }
  // CPU seconds (user and system) the child has used so far.
  double CpuSeconds() const;
  std::size_t ResidentBytes() const;

 private:
  pid_t m_pid = -1;
  int m_fd = -1;
  std::thread m_drain;  // reads the watched output after the ready line, so the child never blocks
  std::string m_line;
  double m_startSeconds = 0;
};

// Runs a program to its end with `extraEnv` added; true when it exits with 0.
bool RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv);
