// Log: level filter, sink and rate limit of the server's logging channel.
#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<int> g_level{static_cast<int>(LogLevel::Notice)};

std::mutex& SinkMutex() {
  static std::mutex mutex;
  return mutex;
}

LogSink& Sink() {
  static LogSink sink;
  return sink;
}

void WriteToStderr(LogLevel level, std::string_view text) {
  std::string line = "<" + std::to_string(static_cast<int>(level)) + ">";
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::optional<LogLevel> ParseLogLevel(std::string_view text) {
  std::string lower;
  for (char c : text) lower.push_back(LowerAscii(c));
  for (LogLevel level :
       {LogLevel::Error, LogLevel::Warning, LogLevel::Notice, LogLevel::Info, LogLevel::Debug}) {
    if (lower == LogLevelName(level) || lower == std::to_string(static_cast<int>(level))) {
      return level;
    }
  }
  return std::nullopt;
}

std::string_view LogLevelName(LogLevel level) {
  switch (level) {
    case LogLevel::Error:
      return "error";
    case LogLevel::Warning:
      return "warning";
    case LogLevel::Notice:
      return "notice";
    case LogLevel::Info:
      return "info";
    case LogLevel::Debug:
      return "debug";
  }
  return "notice";
}

void SetLogLevel(LogLevel level) {
  g_level.store(static_cast<int>(level));
}

LogLevel CurrentLogLevel() {
  return static_cast<LogLevel>(g_level.load());
}

bool LogEnabled(LogLevel level) {
  return static_cast<int>(level) <= g_level.load();
}

void SetLogSink(LogSink sink) {
  std::lock_guard lock(SinkMutex());
  Sink() = std::move(sink);
}

void Log(LogLevel level, std::string_view text) {
  if (!LogEnabled(level)) return;
  std::string one_line(text);
  for (char& c : one_line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::lock_guard lock(SinkMutex());
  if (Sink()) {
    Sink()(level, one_line);
  } else {
    WriteToStderr(level, one_line);
  }
}

LogRateLimit::LogRateLimit(unsigned burst, std::chrono::steady_clock::duration period)
    : m_burst(burst), m_period(period) {}

void LogRateLimit::Log(LogLevel level, std::string_view text,
                       std::chrono::steady_clock::time_point now) {
  if (now - window_start_ >= m_period) {
    window_start_ = now;
    in_window_ = 0;
  }
  if (in_window_ >= m_burst) {
    ++m_suppressed;
    return;
  }
  ++in_window_;
  if (m_suppressed > 0) {
    ::Log(level, std::to_string(m_suppressed) + " similar messages suppressed");
    m_suppressed = 0;
  }
  ::Log(level, text);
}
