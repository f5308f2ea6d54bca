// A free-standing group item of a given ESF type, for the tool's encode and decode commands.
#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include "project/group_item.h"
#include "project/group_node.h"

// Owns a root node and one item "1/2/3" under it, typed by an ESF type text, with the lock
// that the codec takes. Loads the language in use (for day names) when it can.
struct ToolValueItem {
  explicit ToolValueItem(std::string_view typeText);

  std::recursive_mutex tagLock;
  GroupNode root;
  std::unique_ptr<GroupItem> item;  // declared after root: destroyed before it
};
