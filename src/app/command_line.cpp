// ParseCommandLine: the registration scan and the framework-style parse of the arguments.
#include "app/command_line.h"

#include <charconv>
#include <filesystem>
#include <string_view>

#include "app/opcua_security.h"
#include "project/equal_no_case.h"

namespace {

bool NamesExistingFile(const std::string& arg) {
  std::error_code ec;
  return std::filesystem::exists(arg, ec);
}

// The first "RegServer" or "UnregServer" among the tokens of the arguments.
Registration ScanRegistration(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (NamesExistingFile(arg)) continue;
    std::size_t start = 0;
    while (start <= arg.size()) {
      std::size_t end = arg.find_first_of("-/ \t", start);
      if (end == std::string::npos) end = arg.size();
      const std::string_view token = std::string_view(arg).substr(start, end - start);
      if (EqualNoCase(token, "RegServer")) return Registration::Register;
      if (EqualNoCase(token, "UnregServer")) return Registration::Unregister;
      start = end + 1;
    }
  }
  return Registration::None;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return {};
  return static_cast<std::uint16_t>(value);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  line.registration = ScanRegistration(args);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool longOption = arg.starts_with("--");
    const bool slashSwitch = arg.starts_with("/") && arg.find('/', 1) == std::string::npos &&
                             arg.size() > 1 && !NamesExistingFile(arg);
    if (!longOption && !slashSwitch && !(arg.starts_with("-") && arg.size() > 1)) {
      if (line.projectFile.empty()) line.projectFile = arg;
      continue;
    }
    std::string_view name = std::string_view(arg).substr(longOption ? 2 : 1);
    std::optional<std::string_view> value;
    if (const std::size_t eq = name.find('='); longOption && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (EqualNoCase(name, "Embedding") || EqualNoCase(name, "Automation")) {
      line.startedByClient = true;
    } else if (EqualNoCase(name, "headless")) {
      line.headless = true;
    } else if (EqualNoCase(name, "simulate")) {
      line.simulate = true;
    } else if (EqualNoCase(name, "listen-any")) {
      line.listenAny = true;
    } else if (EqualNoCase(name, "allow-insecure")) {
      line.allowInsecure = true;
    } else if (EqualNoCase(name, "anonymous")) {
      line.anonymous = true;
    } else if (EqualNoCase(name, "no-anonymous")) {
      line.anonymous = false;
    } else if (EqualNoCase(name, "security-policies")) {
      if (!value && i + 1 < args.size()) value = args[++i];
      line.securityPolicies = value ? ParseSecurityPolicies(*value) : std::nullopt;
      if (!line.securityPolicies) {
        line.error =
            "--security-policies needs a comma-separated list of None, Basic256Sha256, "
            "Aes128_Sha256_RsaOaep, Aes256_Sha256_RsaPss";
      }
    } else if (EqualNoCase(name, "security-modes")) {
      if (!value && i + 1 < args.size()) value = args[++i];
      line.securityModes = value ? ParseSecurityModes(*value) : std::nullopt;
      if (!line.securityModes) line.error = "--security-modes needs Sign, SignAndEncrypt or both";
    } else if (EqualNoCase(name, "help") || name == "h") {
      line.help = true;
    } else if (EqualNoCase(name, "opcua-port") || EqualNoCase(name, "port")) {
      if (!value && i + 1 < args.size()) value = args[++i];
      line.opcUaPort = value ? ParsePort(*value) : std::nullopt;
      if (!line.opcUaPort) line.error = "--opcua-port needs a port number from 0 to 65535";
    } else if (EqualNoCase(name, "log-level")) {
      if (!value && i + 1 < args.size()) value = args[++i];
      line.logLevel = value ? ParseLogLevel(*value) : std::nullopt;
      if (!line.logLevel) {
        line.error = "--log-level needs one of error, warning, notice, info, debug (or 3 to 7)";
      }
    } else if (longOption) {
      line.error = "unknown option '" + arg + "'";
    }
  }
  return line;
}

const char* CommandLineUsage() {
  return "usage: zelvox [PROJECT.zlv] [--headless] [--simulate] [--opcua-port N] [--listen-any]\n"
         "              [--allow-insecure] [--security-policies LIST] [--security-modes LIST]\n"
         "              [--anonymous | --no-anonymous] [--log-level LEVEL]\n"
         "       zelvox /RegServer | /UnregServer\n"
         "options:\n"
         "  --headless      run as a service without a window; stop with SIGTERM or SIGINT\n"
         "  --simulate      switch simulation mode on after the start\n"
         "  --opcua-port N  serve OPC UA on port N (default 4840; 0 picks a free port)\n"
         "  --listen-any    listen on all interfaces instead of 127.0.0.1 only; then only\n"
         "                  secured endpoints and user login are offered\n"
         "  --allow-insecure  with --listen-any: offer security policy None and anonymous login\n"
         "                  too, as the settings say (a warning is logged at start)\n"
         "  --security-policies LIST  the OPC UA security policies offered, comma-separated:\n"
         "                  None, Basic256Sha256, Aes128_Sha256_RsaOaep (aes128),\n"
         "                  Aes256_Sha256_RsaPss (aes256); default: all (OpcUaSecurityPolicies)\n"
         "  --security-modes LIST  modes of the secured policies: Sign, SignAndEncrypt;\n"
         "                  default: both (OpcUaSecurityModes)\n"
         "  --anonymous, --no-anonymous  allow or refuse anonymous login (OpcUaAnonymous)\n"
         "  --log-level LEVEL  log messages up to LEVEL to stderr: error, warning, notice\n"
         "                  (default), info or debug; the setting \"LogLevel\" chooses it\n"
         "                  when the option is not given\n"
         "  /Embedding, /Automation  started by an OPC client: ends when no client is left\n"
         "  --help          print this text\n"
         "environment:\n"
         "  ZELVOX_HOME     the settings folder (default ~/.config/Varnok/Zelvox)\n"
         "  NOTIFY_SOCKET   set by systemd: readiness and watchdog go there (Type=notify)\n"
         "files:\n"
         "  ../share/zelvox  language files, manual and demo, found beside the program\n"
         "  $ZELVOX_HOME/pki  the OPC UA certificates: own/ (made at the first start),\n"
         "                  trusted/, issuers/ (certs, crl), rejected/ (refused clients; see\n"
         "                  zelvox-tool pki)\n"
         "  $ZELVOX_HOME/users  the OPC UA users (zelvox-tool user)\n"
         "settings (section Parameter of $ZELVOX_HOME/HKCU.reg), among them:\n"
         "  UaDeviceReads   0 (default): an OPC UA Read returns the cached value, which the bus\n"
         "                  keeps current; only an item without a value is read from the bus\n"
         "                  once. 1: a Read with maxAge 0 reads the device (use only where\n"
         "                  every group address answers reads)\n";
}
