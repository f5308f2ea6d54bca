// Helpers that build small group tables for the project model's tests.
#pragma once

#include <string_view>

#include "project/group_node.h"

// Appends a node to `parent` and returns it.
inline GroupNode& AddNode(GroupNode& parent, std::string_view name, int number) {
  return parent.AppendChild(CreateGroupNode(name, number, nullptr));
}

// Appends an item to `parent` and returns it.
inline GroupItem& AddItem(GroupNode& parent, std::string_view address,
                          std::string_view type = "EIS 1 'Switching' (1 Bit)") {
  return parent.AppendItem(CreateGroupItem(address, "", type, kPriorityLow, parent, nullptr));
}
