// Lookups in the group table: by item ID, by address text, and the project's address form.
#pragma once

#include <string>
#include <string_view>

#include "project/group_address.h"

class GroupItem;
class GroupNode;

// Follows the ID's "."-separated node names from `start` (case ignored), then takes the
// first item whose address text equals the rest (case ignored). None when a name matches no
// child. Allocates nothing.
GroupItem* FindItemById(const GroupNode& start, std::string_view id);

// Follows the "/"-separated numbers from `start` through the children of those numbers, then
// takes the first item whose sub number equals the last number. Items of the start node are
// found only when it has a parent, so the items under the root never are; nodes numbered -1
// never match. Allocates nothing.
GroupItem* FindItemByAddress(const GroupNode& start, std::string_view text);

// The address in the form the project uses for its main group: three levels when the first
// main group node of that number has middle groups, two levels otherwise.
std::string FormatGroupAddress(const GroupNode& root, GroupAddress address);
