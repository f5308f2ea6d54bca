// EncodeGroupValue and DecodeGroupValue: a group item's value to bus data and back.
#pragma once

#include <memory>
#include <mutex>

#include "bus/bus_value_coding.h"
#include "platform/variant.h"

class GroupItem;

// The bus data for writing `value` to `item`; VT_EMPTY for an EIS number outside 0 to 15.
// Holds `tagLock` (the re-entrant lock of the tags' values) while it reads the item.
Variant EncodeGroupValue(std::recursive_mutex& tagLock, const GroupItem& item,
                         const Variant& value);

// Stores received or confirmed bus data into `item`: time stamp now, then the decoded value
// with quality good, or an empty value with quality bad when the data does not fit the type.
// Holds `tagLock` for the whole change. Returns whether the data was decoded.
bool DecodeGroupValue(std::recursive_mutex& tagLock, const Variant& data, GroupItem& item);

// The coding fields of an item's EIS type.
EisCoding CodingOf(const GroupItem& item);

// The day names of the time texts in the current language (strings 138 to 145).
std::shared_ptr<const DayNames> CurrentDayNames();
