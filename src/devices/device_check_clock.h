// DeviceCheckClock: the time source and the wait of the device check thread.
#pragma once

#include <cstdint>

class AutoResetEvent;

// The thread measures how long checks take and waits between them through this interface, so
// that tests can run a round of many minutes in a moment.
class DeviceCheckClock {
 public:
  virtual ~DeviceCheckClock() = default;
  // Milliseconds of a steady clock.
  virtual std::int64_t NowMs() = 0;
  // Waits on `quit` at most `ms` milliseconds (0 only polls); true when it was signalled.
  virtual bool Wait(AutoResetEvent& quit, std::uint32_t ms) = 0;
};

// The steady clock and the event's own wait.
DeviceCheckClock& SteadyDeviceCheckClock();
