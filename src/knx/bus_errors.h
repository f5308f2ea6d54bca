// DeviceOpenError and DeviceWriteError: the bus component's error codes and their names.
#pragma once

#include <cstdint>

enum DeviceOpenError : std::int32_t {
  DeviceOpenErrorNoError = 0,
  DeviceOpenErrorUnexpectedError = 1,
  DeviceOpenErrorAlreadyOpenWithDifferentLayer = 2,
  DeviceOpenErrorInvalidMode = 3,
  DeviceOpenErrorDriverOpenError = 4,
  DeviceOpenErrorBcuInitializeError = 5,
  DeviceOpenErrorInvalidDevice = 6,
  DeviceOpenErrorCreateInstanceError = 7,
  DeviceOpenErrorUnableToChangeMode = 8,
};

enum DeviceWriteError : std::int32_t {
  DeviceWriteErrorNoError = 0,
  DeviceWriteErrorWriteError = 1,
  DeviceWriteErrorInvalidMessage = 2,
  DeviceWriteErrorDriverNotOpen = 3,
  DeviceWriteErrorQueueOverflow = 4,
  DeviceWriteErrorUnexpectedError = 255,
};

// The names that messages show; "unknown" for any other code.
const char* DeviceOpenErrorName(std::int32_t code);
const char* DeviceWriteErrorName(std::int32_t code);
