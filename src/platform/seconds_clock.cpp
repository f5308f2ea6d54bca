// SecondsClock over the system's time().
#include "platform/seconds_clock.h"

#include <ctime>

namespace {

class SystemClock : public SecondsClock {
 public:
  std::int64_t Seconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

}  // namespace

SecondsClock& SystemSecondsClock() {
  static SystemClock clock;
  return clock;
}
