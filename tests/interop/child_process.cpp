// Starting and stopping test peers by PID.
#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <thread>

extern char** environ;

bool ChildProcess::Start(const std::vector<std::string>& args, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const char* out = outputFile.empty() ? "/dev/null" : outputFile.c_str();
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int rc = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) m_pid = -1;
  return rc == 0;
}

int ChildProcess::Stop() {
  if (m_pid <= 0) return -1;
  kill(m_pid, SIGTERM);
  return Wait();
}

int ChildProcess::Stop(std::chrono::milliseconds grace) {
  if (m_pid <= 0) return -1;
  kill(m_pid, SIGTERM);
  const auto end = std::chrono::steady_clock::now() + grace;
  int status = 0;
  while (waitpid(m_pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(m_pid, SIGKILL);
      return Wait();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int ChildProcess::Kill() {
  if (m_pid <= 0) return -1;
  kill(m_pid, SIGKILL);
  return Wait();
}

int ChildProcess::Wait() {
  if (m_pid <= 0) return -1;
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunProgram(const std::vector<std::string>& args, const std::string& outputFile) {
  ChildProcess child;
  if (!child.Start(args, outputFile)) return -1;
  return child.Wait();
}
