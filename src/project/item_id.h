// ItemId: the dotted item ID by which OPC clients address a group item.
#pragma once

#include <string>
#include <string_view>

class GroupNode;

using ItemId = std::string;

// "" for the root, else the parent's path, the node's name and ".".
std::string NodePath(const GroupNode& node);
// The parent's path followed by the address text: "Ground floor.Lights.1/2/3".
ItemId MakeItemId(const GroupNode& parent, std::string_view addressText);
// Sets the ID of every item below `node` (any depth) from its node's path: after a rename.
void RebuildItemIds(GroupNode& node);
