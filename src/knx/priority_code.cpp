// PriorityCode: names of the priorities.
#include "knx/priority_code.h"

const char* PriorityName(std::int32_t code) {
  switch (code) {
    case PrioritySystem:
      return "PrioritySystem";
    case PriorityHigh:
      return "PriorityHigh";
    case PriorityAlarm:
      return "PriorityAlarm";
    case PriorityLow:
      return "PriorityLow";
    default:
      return "unknown";
  }
}
