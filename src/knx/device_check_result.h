// DeviceCheckResult: how a driver's device check ended, and which device answered.
#pragma once

#include <cstdint>

struct DeviceCheckResult {
  enum class Outcome {
    Answered,   // `answeredBy` answered
    Silent,     // the request went out and nobody answered in time
    NotSent,    // the request could not be sent (interface closed, link down): says nothing
                // about the device
    Cancelled,  // CancelCheck ended the check: says nothing about the device
  };
  Outcome outcome = Outcome::Silent;
  std::uint16_t answeredBy = 0;

  static DeviceCheckResult Answer(std::uint16_t address) { return {Outcome::Answered, address}; }
  static DeviceCheckResult Of(Outcome outcome) { return {outcome, 0}; }
  bool operator==(const DeviceCheckResult&) const = default;
};
