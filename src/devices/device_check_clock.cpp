// DeviceCheckClock: the real clock of the device check thread.
#include "devices/device_check_clock.h"

#include <chrono>

#include "platform/auto_reset_event.h"

namespace {

class SteadyClock : public DeviceCheckClock {
 public:
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  bool Wait(AutoResetEvent& quit, std::uint32_t ms) override { return quit.Wait(ms); }
};

}  // namespace

DeviceCheckClock& SteadyDeviceCheckClock() {
  static SteadyClock clock;
  return clock;
}
