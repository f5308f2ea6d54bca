// ProjectCounters: the document's counts of main groups, middle groups, addresses and devices.
#pragma once

#include <cstdint>

struct ProjectCounters {
  std::int32_t mainGroups = 0;
  std::int32_t middleGroups = 0;
  std::int32_t groupAddresses = 0;
  std::int32_t devices = 0;

  void Clear() { *this = ProjectCounters{}; }
};
