// Tests of FileTime: calendar conversions, the current time and VT_DATE through a DOS date.
#include "platform/file_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

constexpr std::uint64_t kTicksPerDay = 864'000'000'000ull;
constexpr std::uint64_t kUnixEpoch = 116'444'736'000'000'000ull;

FileTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
            int ms = 0) {
  SystemTime st;
  st.year = year;
  st.month = month;
  st.day = day;
  st.hour = hour;
  st.minute = minute;
  st.second = second;
  st.milliseconds = ms;
  return SystemTimeToFileTime(st);
}

TEST(FileTime, SystemTimeConversions) {
  SystemTime st = FileTimeToSystemTime(FileTime{0});
  EXPECT_EQ(st.year, 1601);
  EXPECT_EQ(st.month, 1);
  EXPECT_EQ(st.day, 1);
  EXPECT_EQ(st.dayOfWeek, 1);  // a Monday
  EXPECT_EQ(At(1970, 1, 1).ticks, kUnixEpoch);
  EXPECT_EQ(FileTimeToSystemTime(FileTime{kUnixEpoch}).dayOfWeek, 4);  // a Thursday

  st = FileTimeToSystemTime(At(2000, 2, 29, 23, 59, 58, 999));
  EXPECT_EQ(st.month, 2);
  EXPECT_EQ(st.day, 29);
  EXPECT_EQ(st.dayOfWeek, 2);
  EXPECT_EQ(st.hour, 23);
  EXPECT_EQ(st.minute, 59);
  EXPECT_EQ(st.second, 58);
  EXPECT_EQ(st.milliseconds, 999);
  // 1900 and 2100 are no leap years.
  EXPECT_EQ(At(1900, 3, 1).ticks - At(1900, 2, 28).ticks, kTicksPerDay);
  EXPECT_EQ(At(2100, 3, 1).ticks - At(2100, 2, 28).ticks, kTicksPerDay);
  // Fields beyond their range carry over; times before 1601 are tick 0.
  EXPECT_EQ(At(2023, 13, 1), At(2024, 1, 1));
  EXPECT_EQ(At(2024, 0, 1), At(2023, 12, 1));
  EXPECT_EQ(At(2024, 1, 1, 0, 0, 60), At(2024, 1, 1, 0, 1, 0));
  EXPECT_EQ(At(1600, 12, 31).ticks, 0u);

  // Every day over four centuries comes back as itself, with consecutive weekdays.
  int weekday = FileTimeToSystemTime(At(1900, 1, 1)).dayOfWeek;
  for (std::uint64_t t = At(1900, 1, 1, 13, 7, 9, 5).ticks; t < At(2300, 1, 1).ticks;
       t += kTicksPerDay) {
    st = FileTimeToSystemTime(FileTime{t});
    ASSERT_EQ(SystemTimeToFileTime(st).ticks, t);
    ASSERT_EQ(st.dayOfWeek, weekday);
    weekday = (weekday + 1) % 7;
  }
  EXPECT_EQ(FileTimeToUnixMicros(FileTimeFromUnixMicros(1'700'000'000'123'456)),
            1'700'000'000'123'456);
  EXPECT_EQ(FileTimeFromUnixMicros(-11'644'473'600'000'001).ticks, 0u);
}

TEST(FileTime, NowInUtcAndLocalTime) {
  const char* savedTz = std::getenv("TZ");
  const std::string saved = savedTz ? savedTz : "";
  setenv("TZ", "XYZ-2", 1);  // two hours east of UTC, no daylight saving
  tzset();
  const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr)) * 1'000'000;
  const FileTime utc = FileTimeNow(true);
  const FileTime local = FileTimeNow(false);
  const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr) + 1) * 1'000'000;
  if (savedTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_GE(FileTimeToUnixMicros(utc), before);
  EXPECT_LE(FileTimeToUnixMicros(utc), after);
  const std::int64_t offset = FileTimeToUnixMicros(local) - FileTimeToUnixMicros(utc);
  EXPECT_NEAR(static_cast<double>(offset), 7200e6, 1e6);
}

TEST(FileTime, VariantDateThroughDosDateTime) {
  double date = 0;
  ASSERT_TRUE(FileTimeToVariantDate(At(2000, 1, 1, 12, 0, 3, 999), date));
  EXPECT_DOUBLE_EQ(date, 36526.0 + (12 * 3600 + 2) / 86400.0);  // seconds cut to even
  ASSERT_TRUE(FileTimeToVariantDate(At(1980, 1, 1), date));
  EXPECT_DOUBLE_EQ(date, 29221.0);
  EXPECT_TRUE(FileTimeToVariantDate(At(2107, 12, 31, 23, 59, 59), date));
  EXPECT_FALSE(FileTimeToVariantDate(At(1979, 12, 31, 23, 59, 59), date));
  EXPECT_FALSE(FileTimeToVariantDate(At(2108, 1, 1), date));

  SystemTime st;
  ASSERT_TRUE(VariantDateToSystemTime(-1.25, st));
  EXPECT_EQ(st.year, 1899);
  EXPECT_EQ(st.day, 29);
  EXPECT_EQ(st.hour, 6);
  double back = 0;
  ASSERT_TRUE(SystemTimeToVariantDate(st, back));
  EXPECT_EQ(back, -1.25);
  // Rounded to the nearest second, carrying into the next day.
  ASSERT_TRUE(VariantDateToSystemTime(36526.0 - 0.1 / 86400, st));
  EXPECT_EQ(st.year, 2000);
  EXPECT_EQ(st.hour, 0);
  EXPECT_EQ(st.second, 0);
  EXPECT_EQ(st.dayOfWeek, 6);
  EXPECT_FALSE(VariantDateToSystemTime(2958466.0, st));
  EXPECT_FALSE(VariantDateToSystemTime(-657435.0, st));
  st = SystemTime{};
  st.year = 2001;
  st.month = 2;
  st.day = 29;
  EXPECT_FALSE(SystemTimeToVariantDate(st, back));
}

}  // namespace
