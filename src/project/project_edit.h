// ProjectEdit: the undo record of one edit of the group table: the states it changed and the
// groups and items it added or took out.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "platform/variant.h"
#include "project/document_edit.h"

class CDORAzivazDoc;
class GroupItem;
class GroupNode;

// Used by a command in three steps: before it changes anything it touches every item and node
// whose fields it will change (the first touch records the state before); it then makes the
// change, adding or taking out groups and items through this record; Finish records the states
// after. Undo and Redo put back the one or the other state, under the tag lock, and tell the
// views.
//
// Groups and items taken out are kept here, detached from the tree, so that they come back as
// the same objects (pointers held elsewhere by later edits stay valid). While detached they
// are out of the name space: no client can reach them. Taking out again (Redo of a delete,
// Undo of an addition) is refused while an OPC client holds one of them.
class ProjectEdit final : public DocumentEdit {
 public:
  // `refusal`: the message shown when an OPC client holds an item that would be taken out.
  ProjectEdit(CDORAzivazDoc& doc, unsigned refusal);
  ~ProjectEdit() override;

  // Records the state before of an item's fields (address, ID, name, type, priority, initial
  // read, links and listeners, untyped mark).
  void Touch(GroupItem& item);
  // The same and the value, quality and time stamp (a type change empties the value).
  void TouchValue(GroupItem& item);
  // Records a node's name, number and untyped mark.
  void Touch(GroupNode& node);
  // Touches `node` and every node above it (the untyped marks).
  void TouchUpwards(GroupNode* node);
  // Touches every item below `node` (children first) and, with `nodes`, every node below.
  void TouchBelow(GroupNode& node, bool nodes);

  // Takes an item out of its node: off the views, the pending list and the request queue; its
  // link targets lose it from their listeners (touched first). Returns false, changing nothing,
  // when a client holds it.
  bool TakeOut(GroupItem& item);
  // Takes a node out of its parent with everything below it, as TakeOut does for each item.
  bool TakeOut(GroupNode& node);
  // An item or node that the command has just appended to its parent.
  void Added(GroupItem& item);
  void Added(GroupNode& node);
  // Changes of the three group counters (main, middle, addresses) made by the command.
  void Count(std::int32_t mainGroups, std::int32_t middleGroups, std::int32_t groupAddresses);

  // Records the states after, tells the views of the changed nodes and items, tells the name
  // space and marks the document modified. False when the edit changed nothing (the command
  // then drops it).
  bool Finish();
  // Finish, and the edit for the undo stack; none when nothing changed.
  static DocumentEditPtr Conclude(std::unique_ptr<ProjectEdit> edit);

  bool Undo() override;
  bool Redo() override;

  // Whether an OPC client holds any item below `node` (any depth).
  static bool HeldByClient(const GroupNode& node);

 private:
  struct ItemState {
    std::string addressText;
    std::int32_t subNumber = 0;
    std::string itemId;
    std::string name;
    std::string typeName;
    std::uint16_t nativeDataType = 0;
    std::int32_t size = 0;
    std::int32_t eis = 0;
    std::int32_t subtype = 0;
    std::int32_t priority = 0;
    std::int32_t initialRead = 0;
    std::vector<std::string> linkedAddresses;
    std::vector<std::string> listeners;
    bool untypedMark = false;
    bool withValue = false;
    Variant value;
    std::uint16_t quality = 0;
    FileTime timestamp;
  };
  struct NodeState {
    std::string name;
    std::int32_t number = -1;
    bool untypedMark = false;
  };
  struct TouchedItem {
    GroupItem* item;
    ItemState before;
    ItemState after;
  };
  struct TouchedNode {
    GroupNode* node;
    NodeState before;
    NodeState after;
  };
  // A node or item taken out of (or added to) `parent` at `index`. While out of the tree the
  // record owns it.
  struct Piece {
    GroupNode* parent = nullptr;
    std::size_t index = 0;
    GroupNode* node = nullptr;
    GroupItem* item = nullptr;
    std::unique_ptr<GroupNode> heldNode;
    std::unique_ptr<GroupItem> heldItem;
  };

  // Records the item or node at its present place in its parent.
  Piece& AddPiece(GroupItem* item, GroupNode* node);
  static ItemState Capture(const GroupItem& item, bool withValue);
  static NodeState Capture(const GroupNode& node);
  void Apply(GroupItem& item, const ItemState& state, const ItemState& other);
  // Puts the touched states back (`before`) or forward, and the counters by `sign`.
  void ApplyStates(bool before);
  bool PieceHeld(const Piece& piece) const;
  // Takes the pieces out (reverse order for an undone addition); false when a client holds
  // one of their items (nothing is changed then).
  bool Detach(bool reverse);
  void Attach(bool reverse);
  void DetachPiece(Piece& piece);
  void AttachPiece(Piece& piece);
  // Drops the item from the listeners of the live items its links name.
  void DropFromTargets(GroupItem& item);
  bool Valid() const;
  void TellViews();
  // The end of Undo and Redo: the refusal's message, or the name space's and the document's
  // modified marks.
  bool Finished(bool refused);

  CDORAzivazDoc& m_doc;
  unsigned m_refusal;
  std::uint64_t m_generation;
  std::vector<TouchedItem> m_items;
  std::map<const GroupItem*, std::size_t> m_itemIndex;
  std::vector<TouchedNode> m_nodes;
  std::map<const GroupNode*, std::size_t> m_nodeIndex;
  std::vector<Piece> m_pieces;
  bool m_adds = false;  // the pieces were added by the edit (else taken out)
  std::int32_t m_mainGroups = 0;
  std::int32_t m_middleGroups = 0;
  std::int32_t m_groupAddresses = 0;
};
