// The time source of the system's time stamps: now as UTC or local time, chosen once at start.
#pragma once

#include "platform/file_time.h"

// Whether time stamps are taken in UTC (the "UseGMT" setting, read at start).
void SetTimeStampsUtc(bool utc);
bool TimeStampsUtc();
// The current time for a value, quality or state change.
FileTime TimeStampNow();
// A time stamp taken by TimeStampNow as UTC, for the outside world (OPC UA time stamps are
// UTC by definition): converted from local time when time stamps are local.
FileTime TimeStampToUtc(FileTime stamp);
