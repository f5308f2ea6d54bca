// ChildProbe: posix_spawn with a pipe on the watched output, /proc for CPU time and memory.
#include "child_probe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace {
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            posix_spawn_file_actions_t* actions) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  args.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) return -1;
  return pid;
}
}  // namespace

ChildProbe::ChildProbe(const std::vector<std::string>& argv,
                       const std::vector<std::string>& extraEnv, bool watchStderr,
                       const std::string& prefix) {
  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], watchStderr ? 2 : 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  auto start = std::chrono::steady_clock::now();
  m_pid = Spawn(argv, extraEnv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  m_fd = out[0];
  if (m_pid <= 0) return;
  std::string line;
  char c;
  while (read(m_fd, &c, 1) == 1) {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line.compare(0, prefix.size(), prefix) == 0) {
      m_line = line;
      break;
    }
    line.clear();
  }
  m_startSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m_drain = std::thread([fd = m_fd] {
    char buffer[4096];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
  });
}

ChildProbe::~ChildProbe() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  if (m_drain.joinable()) m_drain.join();  // the child's end of the pipe is closed now
  if (m_fd >= 0) close(m_fd);
}

double ChildProbe::CpuSeconds() const {
  std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // After the name in parentheses: state is field 3; user and system ticks are 14 and 15.
  std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(text.substr(close + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int k = 3; k <= 15 && rest >> field; ++k) {
    if (k == 14) user = std::stoull(field);
    if (k == 15) system = std::stoull(field);
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::size_t ChildProbe::ResidentBytes() const {
  std::ifstream statm("/proc/" + std::to_string(m_pid) + "/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

bool RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = Spawn(argv, extraEnv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}
