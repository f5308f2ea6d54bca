// FileTime: the FILETIME stand-in (100 ns ticks since 1601-01-01), now as UTC or local time.
#pragma once

#include <cstdint>

struct FileTime {
  std::uint64_t ticks = 0;
  bool operator==(const FileTime&) const = default;
};

// Broken-down calendar time of a FileTime (SYSTEMTIME).
struct SystemTime {
  int year = 1601, month = 1, dayOfWeek = 1, day = 1;  // dayOfWeek 0 = Sunday
  int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// The current time: UTC when `utc` is true, else converted to the local time zone.
FileTime FileTimeNow(bool utc);
// A time in the local time zone (as FileTimeNow(false) gives it) as UTC; in a repeated hour
// at the end of summer time the zone's library picks one of the two. A time the library
// cannot convert comes back unchanged.
FileTime LocalFileTimeToFileTime(FileTime local);
FileTime FileTimeFromUnixMicros(std::int64_t micros);
std::int64_t FileTimeToUnixMicros(FileTime t);
SystemTime FileTimeToSystemTime(FileTime t);
// Fields beyond their range carry over (month 13 is January of the next year, second 60 the
// next minute); dayOfWeek is ignored. Times before 1601 give tick 0.
FileTime SystemTimeToFileTime(const SystemTime& st);

// Broken-down time and VT_DATE (days since 1899-12-30 00:00 with the time of day as fraction;
// before that day the fraction still counts forward from midnight, so -1.25 is 1899-12-29 06:00).
// Both work to the second (milliseconds are dropped, a date is rounded to the nearest second)
// and accept 0100-01-01 to 9999-12-31 only; otherwise they return false.
bool SystemTimeToVariantDate(const SystemTime& st, double& date);
bool VariantDateToSystemTime(double date, SystemTime& st);

// VT_DATE of a time stamp, through a DOS date and time as the toolkit did: seconds are cut to
// an even number and years outside 1980-2107 cannot be represented (returns false).
bool FileTimeToVariantDate(FileTime t, double& date);
