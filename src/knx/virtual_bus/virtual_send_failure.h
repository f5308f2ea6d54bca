// VirtualSendFailure: how the virtual bus makes the system's own reads and writes fail.
#pragma once

#include <cstdint>

#include "platform/hresult.h"

struct VirtualSendFailure {
  enum class Kind {
    None,          // sends succeed
    ErrorConfirm,  // the send is accepted, nothing goes on the bus, the confirmation has the
                   // error set
    WriteError,    // the send returns `code`, a DeviceWriteError; no confirmation
    FailedCall,    // the service call itself fails with `code`, a failing HRESULT; no
                   // confirmation
  };
  Kind kind = Kind::None;
  std::int32_t code = 0;

  static VirtualSendFailure ErrorConfirm() { return {Kind::ErrorConfirm, 0}; }
  static VirtualSendFailure WriteError(std::int32_t error) { return {Kind::WriteError, error}; }
  static VirtualSendFailure FailedCall(HRESULT hr) { return {Kind::FailedCall, hr}; }
};
