// GroupTelegram: one group telegram as a driver receives or confirms it.
#pragma once

#include <cstdint>
#include <vector>

#include "knx/apci_code.h"
#include "knx/priority_code.h"

struct GroupTelegram {
  std::uint16_t source = 0;  // individual address of the sender
  std::uint16_t groupAddress = 0;
  std::int32_t priority = PriorityLow;  // a PriorityCode
  std::int32_t apci = APciValueWrite;   // APciValueRead, APciValueResponse or APciValueWrite
  // The group data bytes in bus order; a value sent in the short form (inside the APCI octet)
  // is one byte. Empty for a read.
  std::vector<std::uint8_t> data;
};
