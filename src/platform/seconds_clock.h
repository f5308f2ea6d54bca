// SecondsClock: the wall clock in seconds since 1970 that response deadlines are measured on.
#pragma once

#include <cstdint>

// The bus worker and the telegram reception share one clock; tests hand in a clock they move
// by hand, so that deadlines are checked exactly and without sleeping. Thread-safe.
class SecondsClock {
 public:
  virtual ~SecondsClock() = default;
  virtual std::int64_t Seconds() = 0;
};

// The system's clock (time(nullptr)).
SecondsClock& SystemSecondsClock();
