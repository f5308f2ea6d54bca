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
FileTime FileTimeFromUnixMicros(std::int64_t micros);
std::int64_t FileTimeToUnixMicros(FileTime t);
SystemTime FileTimeToSystemTime(FileTime t);
FileTime SystemTimeToFileTime(const SystemTime& st);

// VT_DATE of a time stamp, through a DOS date and time as the toolkit did: seconds are cut to
// an even number and years outside 1980-2107 cannot be represented (returns false).
bool FileTimeToVariantDate(FileTime t, double& date);
