// CommandLine: what the arguments of zelvox ask for: registration, client start, project, service.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/log.h"

enum class Registration { None, Register, Unregister };

struct CommandLine {
  // "RegServer" / "UnregServer": the first of them found; the program then does only that.
  Registration registration = Registration::None;
  // "Embedding" / "Automation": started by an OPC client or a service manager.
  bool startedByClient = false;
  // The first argument that is no switch: the project to open.
  std::string projectFile;

  // The service options: no window, simulation after start, OPC UA endpoint overrides.
  bool headless = false;
  bool simulate = false;
  std::optional<std::uint16_t> opcUaPort;
  bool listenAny = false;
  // OPC UA security overrides: policies and modes (bits as in the settings), anonymous login,
  // and the insecure endpoint and anonymous login beyond loopback.
  std::optional<std::uint32_t> securityPolicies;
  std::optional<std::uint32_t> securityModes;
  std::optional<bool> anonymous;
  bool allowInsecure = false;
  // "--log-level": overrides the "LogLevel" setting.
  std::optional<LogLevel> logLevel;
  bool help = false;

  // Not empty when an argument could not be understood (the program prints the usage).
  std::string error;
};

// `args` without the program name. Switches begin with "-", "--" or "/" and are compared
// without regard to case; "/" only introduces a switch in an argument without a further "/",
// so that absolute paths stay file names. The framework switches this program does not use
// ("/dde", "-nologo", ...) are ignored; an unknown "--" option is an error.
//
// RegServer and UnregServer are looked for the old way: every argument that names no existing
// file is split into tokens at "-", "/" and blanks, and a token equal to either word counts.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text of the program.
const char* CommandLineUsage();
