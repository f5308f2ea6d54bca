// BusRequest: one queued group read or write of the document's request queue.
#pragma once

#include <cstdint>

#include "platform/variant.h"

class GroupItem;

constexpr std::int32_t kRequestRead = 0;
constexpr std::int32_t kRequestWrite = 1;

struct BusRequest {
  GroupItem* item = nullptr;
  std::int32_t kind = kRequestRead;
  std::int32_t initial = 0;  // 1 for a read queued by the initial read after loading
  Variant value;             // of the item's canonical type; empty for reads
  std::int64_t order = 0;    // the request's place, kept by the RequestQueue that holds it
};
