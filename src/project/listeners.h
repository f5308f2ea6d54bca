// Listeners: the reverse of the items' linked addresses.
#pragma once

class GroupItem;
class GroupNode;

// For every item X below `node` (children first, then the node's items) and every linked
// address L of X: the item found for L from the root gets X's address text appended to its
// listeners. Duplicates are kept.
void BuildListeners(GroupNode& node);

// For every linked address of `item`: the first entry equal to the item's address text is
// removed from the listeners of the item found for it. Then the linked addresses are emptied.
void DropListeners(GroupItem& item);
