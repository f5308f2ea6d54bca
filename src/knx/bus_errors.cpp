// Names of the bus component's error codes.
#include "knx/bus_errors.h"

#include <iterator>

const char* DeviceOpenErrorName(std::int32_t code) {
  static const char* const kNames[] = {
      "DeviceOpenErrorNoError",
      "DeviceOpenErrorUnexpectedError",
      "DeviceOpenErrorAlreadyOpenWithDifferentLayer",
      "DeviceOpenErrorInvalidMode",
      "DeviceOpenErrorDriverOpenError",
      "DeviceOpenErrorBcuInitializeError",
      "DeviceOpenErrorInvalidDevice",
      "DeviceOpenErrorCreateInstanceError",
      "DeviceOpenErrorUnableToChangeMode",
  };
  if (code < 0 || code >= static_cast<std::int32_t>(std::size(kNames))) return "unknown";
  return kNames[code];
}

const char* DeviceWriteErrorName(std::int32_t code) {
  switch (code) {
    case DeviceWriteErrorNoError: return "DeviceWriteErrorNoError";
    case DeviceWriteErrorWriteError: return "DeviceWriteErrorWriteError";
    case DeviceWriteErrorInvalidMessage: return "DeviceWriteErrorInvalidMessage";
    case DeviceWriteErrorDriverNotOpen: return "DeviceWriteErrorDriverNotOpen";
    case DeviceWriteErrorQueueOverflow: return "DeviceWriteErrorQueueOverflow";
    case DeviceWriteErrorUnexpectedError: return "DeviceWriteErrorUnexpectedError";
    default: return "unknown";
  }
}
