// PriorityCode: KNX telegram priorities and the names the busmonitor shows.
#pragma once

#include <cstdint>

enum PriorityCode : std::int32_t {
  PrioritySystem = 0,
  PriorityHigh = 1,
  PriorityAlarm = 2,
  PriorityLow = 3,
};

// "PrioritySystem" ... "PriorityLow"; "unknown" for any other code.
const char* PriorityName(std::int32_t code);
