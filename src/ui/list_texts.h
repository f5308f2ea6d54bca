// ListTexts: the texts of the main window's list columns for a group item.
#pragma once

#include <cstdint>
#include <string>

class GroupItem;

// List columns in group item mode.
enum ItemColumn : int {
  kColAddress = 0,
  kColName = 1,
  kColType = 2,
  kColValue = 3,
  kColQuality = 4,
  kColTime = 5,
  kColPriority = 6,
  kColLinks = 7,
};
constexpr int kItemColumnCount = 8;
// List columns in device mode.
enum DeviceColumn : int { kColDevice = 0, kColDeviceState = 1, kColDeviceTime = 2 };
constexpr int kDeviceColumnCount = 3;

// "System", "High", "Alarm", "Low" for priorities 0 to 3; "" for any other value.
const char* PriorityText(std::int32_t priority);
// The Windows-1252 text of an item column; the value, quality and time columns are read
// under the caller's tag lock.
std::string ItemColumnText(const GroupItem& item, int column);
// Image of an item's row: 4 when it is read at project start, else 0; overlay 1 when its
// type name begins with "U" (untyped), else none.
int ItemImage(const GroupItem& item);
int ItemOverlay(const GroupItem& item);
