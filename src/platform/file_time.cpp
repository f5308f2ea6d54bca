// FileTime: current time, calendar conversions and VT_DATE of the FILETIME stand-in.
#include "platform/file_time.h"

#include <time.h>

#include <cerrno>
#include <cmath>

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * kSecondsPerDay;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134'774;
constexpr std::int64_t kUnixEpochTicks = kDays1601To1970 * kTicksPerDay;
// Days from 1970-01-01 to 1899-12-30, the day VT_DATE counts from.
constexpr std::int64_t kDays1970To1899 = -25'569;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month, day;
};

constexpr CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

// 0 = Sunday; 1970-01-01 was a Thursday.
int DayOfWeek(std::int64_t daysSince1970) {
  const std::int64_t w = (daysSince1970 + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// The VT_DATE range: 0100-01-01 00:00:00 to 9999-12-31 23:59:59.
constexpr double kMinDate = -657'434.0;
constexpr double kMaxDate = 2'958'465.0;

}  // namespace

FileTime FileTimeNow(bool utc) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::int64_t seconds = ts.tv_sec;
  if (!utc) {
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    seconds += local.tm_gmtoff;
  }
  return FileTimeFromUnixMicros(seconds * 1'000'000 + ts.tv_nsec / 1000);
}

FileTime LocalFileTimeToFileTime(FileTime local) {
  const std::int64_t micros = FileTimeToUnixMicros(local);
  // The wall-clock fields of the local time, read as if they were UTC, go to mktime, which
  // knows the zone's offset at that date.
  std::int64_t seconds = micros / 1'000'000;
  std::int64_t fraction = micros % 1'000'000;
  if (fraction < 0) {
    fraction += 1'000'000;
    --seconds;
  }
  const auto wall = static_cast<time_t>(seconds);
  tm fields{};
  if (gmtime_r(&wall, &fields) == nullptr) return local;
  fields.tm_isdst = -1;
  errno = 0;
  const time_t utc = mktime(&fields);
  if (utc == static_cast<time_t>(-1) && errno != 0) return local;
  return FileTimeFromUnixMicros(static_cast<std::int64_t>(utc) * 1'000'000 + fraction);
}

FileTime FileTimeFromUnixMicros(std::int64_t micros) {
  const std::int64_t ticks = micros * 10 + kUnixEpochTicks;
  return FileTime{ticks < 0 ? 0u : static_cast<std::uint64_t>(ticks)};
}

std::int64_t FileTimeToUnixMicros(FileTime t) {
  return (static_cast<std::int64_t>(t.ticks) - kUnixEpochTicks) / 10;
}

SystemTime FileTimeToSystemTime(FileTime t) {
  const auto days = static_cast<std::int64_t>(t.ticks / kTicksPerDay);
  const auto rest = static_cast<std::int64_t>(t.ticks % kTicksPerDay);
  const std::int64_t days1970 = days - kDays1601To1970;
  const CivilDate date = CivilFromDays(days1970);
  SystemTime st;
  st.year = static_cast<int>(date.year);
  st.month = date.month;
  st.day = date.day;
  st.dayOfWeek = DayOfWeek(days1970);
  const std::int64_t seconds = rest / kTicksPerSecond;
  st.hour = static_cast<int>(seconds / 3600);
  st.minute = static_cast<int>(seconds / 60 % 60);
  st.second = static_cast<int>(seconds % 60);
  st.milliseconds = static_cast<int>(rest % kTicksPerSecond / 10'000);
  return st;
}

FileTime SystemTimeToFileTime(const SystemTime& st) {
  // Months outside 1-12 carry into the year; everything below the day adds up linearly.
  std::int64_t year = st.year;
  std::int64_t month0 = st.month - 1;
  year += month0 >= 0 ? month0 / 12 : (month0 - 11) / 12;
  month0 -= (month0 >= 0 ? month0 / 12 : (month0 - 11) / 12) * 12;
  const std::int64_t days =
      DaysFromCivil(year, static_cast<int>(month0 + 1), 1) + (st.day - 1) + kDays1601To1970;
  const std::int64_t ms =
      ((static_cast<std::int64_t>(st.hour) * 60 + st.minute) * 60 + st.second) * 1000 +
      st.milliseconds;
  const std::int64_t ticks = days * kTicksPerDay + ms * 10'000;
  return FileTime{ticks < 0 ? 0u : static_cast<std::uint64_t>(ticks)};
}

bool SystemTimeToVariantDate(const SystemTime& st, double& date) {
  if (st.year < 100 || st.year > 9999 || st.month < 1 || st.month > 12 || st.day < 1 ||
      st.day > DaysInMonth(st.year, st.month) || st.hour < 0 || st.hour > 23 || st.minute < 0 ||
      st.minute > 59 || st.second < 0 || st.second > 59)
    return false;
  const std::int64_t days = DaysFromCivil(st.year, st.month, st.day) - kDays1970To1899;
  const double fraction =
      static_cast<double>(st.hour * 3600 + st.minute * 60 + st.second) / kSecondsPerDay;
  date = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

bool VariantDateToSystemTime(double date, SystemTime& st) {
  if (!(date > kMinDate - 1.0 && date < kMaxDate + 1.0)) return false;
  const double whole = std::trunc(date);
  auto days = static_cast<std::int64_t>(whole);
  auto seconds =
      static_cast<std::int64_t>(std::nearbyint(std::fabs(date - whole) * kSecondsPerDay));
  if (seconds == kSecondsPerDay) {  // rounded up to the next midnight
    seconds = 0;
    ++days;
  }
  const std::int64_t days1970 = days + kDays1970To1899;
  const CivilDate civil = CivilFromDays(days1970);
  if (civil.year < 100 || civil.year > 9999) return false;
  st.year = static_cast<int>(civil.year);
  st.month = civil.month;
  st.day = civil.day;
  st.dayOfWeek = DayOfWeek(days1970);
  st.hour = static_cast<int>(seconds / 3600);
  st.minute = static_cast<int>(seconds / 60 % 60);
  st.second = static_cast<int>(seconds % 60);
  st.milliseconds = 0;
  return true;
}

bool FileTimeToVariantDate(FileTime t, double& date) {
  // A DOS date holds the years 1980-2107 and the time in two-second steps.
  SystemTime st = FileTimeToSystemTime(t);
  if (st.year < 1980 || st.year > 2107) return false;
  st.second &= ~1;
  st.milliseconds = 0;
  return SystemTimeToVariantDate(st, date);
}
