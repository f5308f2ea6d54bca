// Delete commands: deleting a group or the selected items, the delete key's routing, and the
// project statistics.
#pragma once

#include <cstdint>
#include <span>

#include "project/document_edit.h"

class CDORAzivazDoc;
class GroupItem;
class GroupNode;

constexpr unsigned kCmdDeleteGroup = 32845;
constexpr unsigned kCmdDeleteItems = 32846;
constexpr unsigned kCmdStatistics = 32779;
constexpr unsigned kStrDeleteQuestion = 163;
constexpr unsigned kStrDeleteItemsQuestion = 201;

// 32845: asks with string 163 (No cancels); refused with message 161, nothing deleted, while a
// client holds an item below `node`. Otherwise `node` leaves the tree with everything below
// it: the counters lose its items, its middle groups and itself; a main group left without
// any content gets the number -1; the untyped marks above are brought up to date. The root and
// the devices node are never deleted. None when nothing was deleted.
DocumentEditPtr DeleteGroup(CDORAzivazDoc& doc, GroupNode& node);

// 32846: asks with string 163 for one item, 201 for several; refused with message 162 while a
// client holds one of them. Otherwise each leaves its group in row order, the address counter
// falls by one per item; a group left without any content gets the number -1, and so does a
// main group whose only middle group that was. None when nothing was deleted.
DocumentEditPtr DeleteItems(CDORAzivazDoc& doc, std::span<GroupItem* const> items);

// 32870, as the window's selection says: with the devices node selected the device delete
// command (32849); with items selected in the list, those items; else the selected group.
DocumentEditPtr DeleteSelection(CDORAzivazDoc& doc);

// 32779: the numbers the statistics dialog shows.
struct ProjectStatistics {
  std::int32_t mainGroups = 0;
  std::int32_t middleGroups = 0;
  std::int32_t groupAddresses = 0;
  std::int32_t devices = 0;  // records in the device list
};
ProjectStatistics Statistics(CDORAzivazDoc& doc);
