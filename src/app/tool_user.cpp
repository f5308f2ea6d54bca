// zelvox-tool user [list | add NAME [--read-only] | remove NAME]: the users who may log in to
// the OPC UA server. The password is read from the terminal without echo (twice), or as one
// line from standard input when that is no terminal (scripts).
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>

#include "app/opcua_security.h"
#include "app/tool_command.h"
#include "toolkit/opcua/ua_user_store.h"

namespace {

// One line from the terminal with echo off.
std::optional<std::string> ReadHidden(const char* prompt, std::ostream& err) {
  err << prompt << std::flush;
  termios saved{};
  bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  bool got = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    err << '\n';
  }
  if (!got) return std::nullopt;
  return line;
}

std::optional<std::string> ReadNewPassword(const std::string& name, std::ostream& err) {
  if (!isatty(STDIN_FILENO)) {
    std::string line;
    if (!std::getline(std::cin, line)) {
      err << "zelvox-tool: no password on standard input\n";
      return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  auto first = ReadHidden(("Password for " + name + ": ").c_str(), err);
  auto second = first ? ReadHidden("The same again: ", err) : std::nullopt;
  if (!second || *first != *second) {
    err << "zelvox-tool: the passwords differ\n";
    return std::nullopt;
  }
  return first;
}

}  // namespace

int RunUser(ToolArgs args, std::ostream& out, std::ostream& err) {
  UaUserStore users(OpcUaUsersFile());
  std::string error;
  if (args.empty() || (args[0] == "list" && args.size() == 1)) {
    if (!users.Load(&error)) {
      err << "zelvox-tool: " << error << '\n';
      return kToolFailed;
    }
    for (const UaUser& user : users.Users()) {
      out << user.name << '\t' << (user.readOnly ? "read-only" : "read-write") << '\n';
    }
    return kToolOk;
  }
  const bool add = args[0] == "add";
  const bool readOnly = add && args.size() == 3 && args[2] == "--read-only";
  if (!(add && (args.size() == 2 || readOnly)) && !(args[0] == "remove" && args.size() == 2)) {
    return kToolUsage;
  }
  const std::string name(args[1]);
  if (!add) {
    if (!users.Remove(name, &error)) {
      err << "zelvox-tool: " << error << '\n';
      return kToolFailed;
    }
    return kToolOk;
  }
  if (!UaUserStore::ValidName(name)) {
    err << "zelvox-tool: a user name is 1 to 256 bytes without ':' and control characters\n";
    return kToolFailed;
  }
  auto password = ReadNewPassword(name, err);
  if (!password) return kToolFailed;
  if (password->empty()) {
    err << "zelvox-tool: the password must not be empty\n";
    return kToolFailed;
  }
  if (!users.Add(name, *password, readOnly, &error)) {
    err << "zelvox-tool: " << error << '\n';
    return kToolFailed;
  }
  return kToolOk;
}
