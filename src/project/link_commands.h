// Link commands: choosing an item's linked addresses and deleting the links of items.
#pragma once

#include <span>
#include <vector>

#include "project/document_edit.h"

class CDORAzivazDoc;
class GroupItem;
class GroupNode;

constexpr unsigned kCmdEditLinks = 32859;
constexpr unsigned kCmdDeleteLinks = 32860;
constexpr unsigned kStrDeleteLinksQuestion = 203;

// Whether `candidate` can be one of `item`'s links: another item of the same EIS number and
// subtype (the special items never).
bool CanLink(const GroupItem& item, const GroupItem& candidate);

// What the links dialog opens with: the items named by `item`'s links that can be linked, in
// ascending group address order; `stale` when a link names no such item (it is dropped when
// the dialog is confirmed, even without other changes).
struct CurrentLinks {
  std::vector<GroupItem*> items;
  bool stale = false;
};
CurrentLinks FindCurrentLinks(const GroupNode& root, const GroupItem& item);

// Confirms the links dialog: `item`'s links become the address texts of `linked` in ascending
// group address order (whatever order they came in); `item` itself and items that cannot be
// linked are left out. Under the tag lock the old targets lose `item` from their listeners and
// the new ones gain it. None when the links stay exactly as they were.
DocumentEditPtr SetLinks(CDORAzivazDoc& doc, GroupItem& item, std::span<GroupItem* const> linked);

// 32860: asks with string 203 (No changes nothing); then, under the tag lock, every item with
// links loses them (DropListeners). None when nothing changed.
DocumentEditPtr DeleteLinks(CDORAzivazDoc& doc, std::span<GroupItem* const> items);
