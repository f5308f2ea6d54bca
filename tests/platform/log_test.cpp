// Tests of the logging channel: level parsing and filtering, one line per message, rate limit.
#include "platform/log.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct RecordingSink {
  std::vector<std::pair<LogLevel, std::string>> lines;
  RecordingSink() {
    SetLogSink([this](LogLevel level, std::string_view text) { lines.emplace_back(level, text); });
  }
  ~RecordingSink() {
    SetLogSink({});
    SetLogLevel(LogLevel::Notice);
  }
};

TEST(Log, LevelsParseFilterAndKeepOneLinePerMessage) {
  EXPECT_EQ(ParseLogLevel("WARNING"), LogLevel::Warning);
  EXPECT_EQ(ParseLogLevel("7"), LogLevel::Debug);
  EXPECT_EQ(ParseLogLevel("verbose"), std::nullopt);
  EXPECT_EQ(ParseLogLevel("8"), std::nullopt);

  RecordingSink sink;
  SetLogLevel(LogLevel::Warning);
  Log(LogLevel::Info, "hidden");
  Log(LogLevel::Error, "first\nsecond");
  SetLogLevel(LogLevel::Debug);
  Log(LogLevel::Debug, "shown");
  ASSERT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sink.lines[0].second, "first second");
  EXPECT_EQ(sink.lines[1].first, LogLevel::Debug);
}

TEST(Log, RateLimitCountsWhatItSuppressed) {
  RecordingSink sink;
  LogRateLimit limit(2, std::chrono::seconds(1));
  const auto start = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  for (int i = 0; i < 5; ++i) limit.Log(LogLevel::Warning, "malformed", start);
  EXPECT_EQ(sink.lines.size(), 2u);
  limit.Log(LogLevel::Warning, "malformed", start + std::chrono::seconds(1));
  ASSERT_EQ(sink.lines.size(), 4u);
  EXPECT_EQ(sink.lines[2].second, "3 similar messages suppressed");
  EXPECT_EQ(sink.lines[3].second, "malformed");
}

}  // namespace
