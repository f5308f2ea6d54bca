// ApciCode: names of the application layer services.
#include "knx/apci_code.h"

const char* ApciName(std::int32_t code) {
  switch (code) {
    case APciValueRead:
      return "APciValueRead";
    case APciValueResponse:
      return "APciValueResponse";
    case APciValueWrite:
      return "APciValueWrite";
    case APciPhysAddrWrite:
      return "APciPhysAddrWrite";
    case APciPhysAddrRead:
      return "APciPhysAddrRead";
    case APciPhysAddrResponse:
      return "APciPhysAddrResponse";
    case APciADCRead:
      return "APciADCRead";
    case APciADCResponse:
      return "APciADCResponse";
    case APciMemoryRead:
      return "APciMemoryRead";
    case APciMemoryResponse:
      return "APciMemoryResponse";
    case APciMemoryWrite:
      return "APciMemoryWrite";
    case APciMaskVersionRead:
      return "APciMaskVersionRead";
    case APciMaskVersionResponse:
      return "APciMaskVersionResponse";
    case APciRestart:
      return "APciRestart";
    case APciAuthenticateRequest:
      return "APciAuthenticateRequest";
    case APciAuthenticateResponse:
      return "APciAuthenticateResponse";
    case APciPropertyRead:
      return "APciPropertyRead";
    case APciPropertyResponse:
      return "APciPropertyResponse";
    case APciPropertyWrite:
      return "APciPropertyWrite";
    case APciPropertyDescRead:
      return "APciPropertyDescRead";
    case APciPropertyDescResponse:
      return "APciPropertyDescResponse";
    case APciInvalid:
      return "APciInvalid";
    default:
      return "unknown";
  }
}
