// ChangeItemType: giving an item another EIS type by hand, with the untyped marks.
#pragma once

#include <cstdint>

class GroupItem;
class GroupTableView;

// Stores EIS number and subtype, applies SetTypeFromEis and updates the untyped marks: a typed
// item clears its row's mark and the marks upwards until a node still holds an untyped item;
// an untyped one sets its row's mark and the marks of every node up to the root. The view (if
// any) is told of each changed node mark and finally of the item's new type.
// Value, quality and time stamp are the caller's (under TagLock).
void ChangeItemType(GroupItem& item, std::int32_t eis, std::int32_t subtype,
                    GroupTableView* view = nullptr);
