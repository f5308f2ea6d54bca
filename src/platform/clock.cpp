// The time source of the system's time stamps.
#include "platform/clock.h"

#include <atomic>

namespace {
std::atomic<bool> g_utc{true};
}

void SetTimeStampsUtc(bool utc) {
  g_utc = utc;
}
bool TimeStampsUtc() {
  return g_utc;
}
FileTime TimeStampNow() {
  return FileTimeNow(g_utc);
}
FileTime TimeStampToUtc(FileTime stamp) {
  return g_utc || stamp.ticks == 0 ? stamp : LocalFileTimeToFileTime(stamp);
}
