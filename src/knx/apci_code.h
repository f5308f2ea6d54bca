// ApciCode: application layer services of KNX telegrams and the names the busmonitor shows.
#pragma once

#include <cstdint>

enum ApciCode : std::int32_t {
  APciValueRead = 0x000,
  APciValueResponse = 0x040,
  APciValueWrite = 0x080,
  APciPhysAddrWrite = 0x0C0,
  APciPhysAddrRead = 0x100,
  APciPhysAddrResponse = 0x140,
  APciADCRead = 0x180,
  APciADCResponse = 0x1C0,
  APciMemoryRead = 0x200,
  APciMemoryResponse = 0x240,
  APciMemoryWrite = 0x280,
  APciMaskVersionRead = 0x300,
  APciMaskVersionResponse = 0x340,
  APciRestart = 0x380,
  APciAuthenticateRequest = 0x3D1,
  APciAuthenticateResponse = 0x3D2,
  APciPropertyRead = 0x3D5,
  APciPropertyResponse = 0x3D6,
  APciPropertyWrite = 0x3D7,
  APciPropertyDescRead = 0x3D8,
  APciPropertyDescResponse = 0x3D9,
  APciInvalid = 0xFFFF,
};

// The enumerator's name ("APciValueRead", ...); "unknown" for any other code.
const char* ApciName(std::int32_t code);
