// ZelvoxProcess: posix_spawn of zelvox, waiting with a time limit, its stderr.
#include "zelvox_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> Environment(const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (!overrides.count(name)) env.push_back(text);
  }
  for (const auto& [name, value] : overrides) env.push_back(name + "=" + value);
  return env;
}

}  // namespace

ZelvoxProcess::ZelvoxProcess(std::vector<std::string> args, std::map<std::string, std::string> env,
                             std::string errPath, std::string program)
    : m_errPath(std::move(errPath)) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<char*> argv{program.data()};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText = Environment(env);
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    m_pid = pid;
  }
  posix_spawn_file_actions_destroy(&actions);
}

ZelvoxProcess::~ZelvoxProcess() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
}

int ZelvoxProcess::WaitExit(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (m_pid > 0) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (std::chrono::steady_clock::now() >= until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

int ZelvoxProcess::Signal(int signal, std::chrono::milliseconds limit) {
  if (m_pid > 0) kill(m_pid, signal);
  return WaitExit(limit);
}

int ZelvoxProcess::ServingPort(std::chrono::milliseconds limit) {
  static const std::regex serving("serving opc\\.tcp://127\\.0\\.0\\.1:([0-9]+)");
  const auto until = std::chrono::steady_clock::now() + limit;
  do {
    std::smatch match;
    const std::string err = Err();
    if (std::regex_search(err, match, serving)) return std::stoi(match[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < until);
  return 0;
}

std::string ZelvoxProcess::Err() const {
  std::ifstream in(m_errPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ZelvoxResult RunZelvox(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& env, const std::string& errPath) {
  ZelvoxProcess process(args, env, errPath);
  ZelvoxResult result;
  result.exitCode = process.WaitExit(std::chrono::seconds(20));
  result.err = process.Err();
  return result;
}
