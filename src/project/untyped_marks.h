// Untyped marks: the flags on nodes below which untyped (EIS 0) items exist.
#pragma once

class GroupNode;
class GroupTableView;

// Whether any item below `node`, at any depth, is untyped.
bool HasUntypedItemBelow(const GroupNode& node);

// Sets the mark on `from` and every node above it up to and including the root.
void MarkUntypedUpwards(GroupNode* from, GroupTableView* view);

// Walks from `from` up to the root clearing marks; stops at the first node below which an
// untyped item remains.
void ClearUntypedMarksUpwards(GroupNode* from, GroupTableView* view);
