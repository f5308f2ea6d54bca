// Log: the one logging channel of the server, with levels; headless it writes to stderr with the
// "<N>" priority prefixes that journald reads.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Levels in syslog order: a lower number is more severe.
enum class LogLevel { Error = 3, Warning = 4, Notice = 5, Info = 6, Debug = 7 };

// "error", "warning", "notice", "info", "debug" (any case), or the digits 3 to 7.
std::optional<LogLevel> ParseLogLevel(std::string_view text);
std::string_view LogLevelName(LogLevel level);

// Messages above this level are dropped (default Notice). Thread-safe.
void SetLogLevel(LogLevel level);
LogLevel CurrentLogLevel();
bool LogEnabled(LogLevel level);

// Where the lines go: by default stderr, one line per message as "<N>text". Tests install a sink
// of their own and restore the default with an empty function.
using LogSink = std::function<void(LogLevel, std::string_view)>;
void SetLogSink(LogSink sink);

// Writes one message when its level is enabled. Line breaks inside the text are replaced by
// spaces so that one message is one journal entry. Thread-safe.
void Log(LogLevel level, std::string_view text);

// Lets through at most `burst` messages per `period`; the first message after a suppressed run
// says how many were left out. For events a peer can cause at will (malformed frames).
class LogRateLimit {
 public:
  LogRateLimit(unsigned burst, std::chrono::steady_clock::duration period);
  // Logs `text` if the limit allows it at `now`.
  void Log(LogLevel level, std::string_view text,
           std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

 private:
  unsigned m_burst;
  std::chrono::steady_clock::duration m_period;
  std::chrono::steady_clock::time_point window_start_{};
  unsigned in_window_ = 0;
  unsigned m_suppressed = 0;
};
