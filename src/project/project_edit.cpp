// ProjectEdit: recording, taking back and making again one edit of the group table.
#include "project/project_edit.h"

#include <algorithm>
#include <mutex>

#include "platform/clock.h"
#include "platform/prompt.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/group_lookup.h"
#include "project/group_node.h"

namespace {

void ClearLinksBelow(GroupNode& node) {
  for (auto& child : node.m_children) ClearLinksBelow(*child);
  for (auto& item : node.m_items) item->m_linkedAddresses.clear();
}

// The position of `member` in an owning list; the list's size when it is not there.
template <typename T>
std::size_t IndexOf(const NodeMembers<T>& list, const T* member) {
  const auto at =
      std::find_if(list.begin(), list.end(), [&](const auto& m) { return m.get() == member; });
  return static_cast<std::size_t>(at - list.begin());
}

template <typename Visit>
void ForEachItemBelow(GroupNode& node, const Visit& visit) {
  for (auto& child : node.m_children) ForEachItemBelow(*child, visit);
  for (auto& item : node.m_items) visit(*item);
}

void TellNodeAdded(DocumentViews& views, GroupNode& node) {
  views.NodeAdded(node);
  for (auto& child : node.m_children) TellNodeAdded(views, *child);
}

}  // namespace

ProjectEdit::ProjectEdit(CDORAzivazDoc& doc, unsigned refusal)
    : m_doc(doc), m_refusal(refusal), m_generation(doc.ContentsGeneration()) {}

ProjectEdit::~ProjectEdit() {
  // What is kept out of the tree dies with the record. Its links must not reach into the live
  // tree then: the live items' listeners were settled when the pieces were taken out.
  for (Piece& piece : m_pieces) {
    if (piece.heldItem) piece.heldItem->m_linkedAddresses.clear();
    if (piece.heldNode) ClearLinksBelow(*piece.heldNode);
  }
}

bool ProjectEdit::HeldByClient(const GroupNode& node) {
  for (const auto& item : node.m_items)
    if (item->ClientRefCount() > 0) return true;
  for (const auto& child : node.m_children)
    if (HeldByClient(*child)) return true;
  return false;
}

ProjectEdit::ItemState ProjectEdit::Capture(const GroupItem& item, bool withValue) {
  ItemState s;
  s.addressText = item.m_addressText;
  s.subNumber = item.m_subNumber;
  s.itemId = item.m_itemId;
  s.name = item.m_name;
  s.typeName = item.m_typeName;
  s.nativeDataType = item.m_nativeDataType;
  s.size = item.m_size;
  s.eis = item.m_eis;
  s.subtype = item.m_subtype;
  s.priority = item.m_priority;
  s.initialRead = item.m_initialRead;
  s.linkedAddresses = item.m_linkedAddresses;
  s.listeners = item.m_listeners;
  s.untypedMark = item.m_untypedMark;
  s.withValue = withValue;
  if (withValue) {
    s.value = item.m_value;
    s.quality = item.m_quality;
    s.timestamp = item.m_timestamp;
  }
  return s;
}

ProjectEdit::NodeState ProjectEdit::Capture(const GroupNode& node) {
  return {node.m_name, node.m_number, node.m_untypedMark};
}

void ProjectEdit::Touch(GroupItem& item) {
  if (m_itemIndex.count(&item)) return;
  m_itemIndex[&item] = m_items.size();
  m_items.push_back({&item, Capture(item, false), {}});
}

void ProjectEdit::TouchValue(GroupItem& item) {
  const auto found = m_itemIndex.find(&item);
  if (found == m_itemIndex.end()) {
    m_itemIndex[&item] = m_items.size();
    m_items.push_back({&item, Capture(item, true), {}});
  } else if (ItemState& before = m_items[found->second].before; !before.withValue) {
    // Touched for its other fields already, which may have changed since; the value has not.
    before.withValue = true;
    before.value = item.m_value;
    before.quality = item.m_quality;
    before.timestamp = item.m_timestamp;
  }
}

void ProjectEdit::Touch(GroupNode& node) {
  if (m_nodeIndex.count(&node)) return;
  m_nodeIndex[&node] = m_nodes.size();
  m_nodes.push_back({&node, Capture(node), {}});
}

void ProjectEdit::TouchUpwards(GroupNode* node) {
  for (; node; node = node->m_parent) Touch(*node);
}

void ProjectEdit::TouchBelow(GroupNode& node, bool nodes) {
  for (auto& child : node.m_children) {
    if (nodes) Touch(*child);
    TouchBelow(*child, nodes);
  }
  for (auto& item : node.m_items) Touch(*item);
}

void ProjectEdit::DropFromTargets(GroupItem& item) {
  const GroupNode& root = m_doc.Root();
  for (const std::string& linked : item.m_linkedAddresses) {
    GroupItem* target = FindItemByAddress(root, linked);
    if (!target) continue;
    auto& listeners = target->m_listeners;
    const auto entry = std::find(listeners.begin(), listeners.end(), item.m_addressText);
    if (entry == listeners.end()) continue;
    Touch(*target);
    listeners.erase(entry);
  }
}

ProjectEdit::Piece& ProjectEdit::AddPiece(GroupItem* item, GroupNode* node) {
  Piece piece;
  piece.parent = item ? item->m_parent : node->m_parent;
  piece.index =
      item ? IndexOf(piece.parent->m_items, item) : IndexOf(piece.parent->m_children, node);
  piece.item = item;
  piece.node = node;
  m_pieces.push_back(std::move(piece));
  return m_pieces.back();
}

bool ProjectEdit::TakeOut(GroupItem& item) {
  std::lock_guard tagLock(m_doc.TagLock());
  if (item.ClientRefCount() > 0 || !item.m_parent) return false;
  DetachPiece(AddPiece(&item, nullptr));
  DropFromTargets(item);
  return true;
}

bool ProjectEdit::TakeOut(GroupNode& node) {
  std::lock_guard tagLock(m_doc.TagLock());
  if (HeldByClient(node) || !node.m_parent) return false;
  DetachPiece(AddPiece(nullptr, &node));
  ForEachItemBelow(node, [&](GroupItem& item) { DropFromTargets(item); });
  return true;
}

void ProjectEdit::Added(GroupItem& item) {
  m_adds = true;
  AddPiece(&item, nullptr);
}

void ProjectEdit::Added(GroupNode& node) {
  m_adds = true;
  AddPiece(nullptr, &node);
}

void ProjectEdit::Count(std::int32_t mainGroups, std::int32_t middleGroups,
                        std::int32_t groupAddresses) {
  m_mainGroups += mainGroups;
  m_middleGroups += middleGroups;
  m_groupAddresses += groupAddresses;
}

bool ProjectEdit::Finish() {
  std::lock_guard tagLock(m_doc.TagLock());
  bool changed = !m_pieces.empty() || m_mainGroups || m_middleGroups || m_groupAddresses;
  for (TouchedItem& t : m_items) {
    t.after = Capture(*t.item, t.before.withValue);
    const ItemState& b = t.before;
    const ItemState& a = t.after;
    changed = changed || a.addressText != b.addressText || a.itemId != b.itemId ||
              a.name != b.name || a.typeName != b.typeName || a.eis != b.eis ||
              a.subtype != b.subtype || a.priority != b.priority ||
              a.initialRead != b.initialRead || a.linkedAddresses != b.linkedAddresses ||
              a.listeners != b.listeners;
  }
  for (TouchedNode& t : m_nodes) {
    t.after = Capture(*t.node);
    changed = changed || t.after.name != t.before.name || t.after.number != t.before.number;
  }
  if (!changed) return false;
  TellViews();
  m_doc.Callback().NameSpaceChanged();
  m_doc.SetModifiedFlag();
  return true;
}

DocumentEditPtr ProjectEdit::Conclude(std::unique_ptr<ProjectEdit> edit) {
  if (!edit->Finish()) return nullptr;
  return edit;
}

void ProjectEdit::Apply(GroupItem& item, const ItemState& s, const ItemState& other) {
  item.SetAddressText(s.addressText);
  item.m_subNumber = s.subNumber;
  item.m_itemId = s.itemId;
  item.m_name = s.name;
  item.m_typeName = s.typeName;
  item.m_nativeDataType = s.nativeDataType;
  item.m_size = s.size;
  item.m_eis = s.eis;
  item.m_subtype = s.subtype;
  item.m_priority = s.priority;
  item.m_initialRead = s.initialRead;
  item.m_linkedAddresses = s.linkedAddresses;
  item.m_listeners = s.listeners;
  item.m_untypedMark = s.untypedMark;
  if (!s.withValue) return;
  // The value of the other type comes back only while nothing has replaced the one the edit
  // left; a value received since then is of the wrong type now, so the item waits for one.
  const bool untouched = item.m_value == other.value && item.m_quality == other.quality &&
                         item.m_timestamp == other.timestamp;
  if (untouched) {
    item.m_value = s.value;
    item.m_quality = s.quality;
    item.m_timestamp = s.timestamp;
  } else {
    item.m_value = Variant();
    item.m_quality = OPC_QUALITY_UNCERTAIN;
    item.m_timestamp = TimeStampNow();
  }
}

void ProjectEdit::ApplyStates(bool before) {
  for (TouchedNode& t : m_nodes) {
    const NodeState& s = before ? t.before : t.after;
    t.node->SetName(s.name);
    t.node->m_number = s.number;
    t.node->m_untypedMark = s.untypedMark;
  }
  for (TouchedItem& t : m_items)
    Apply(*t.item, before ? t.before : t.after, before ? t.after : t.before);
  const std::int32_t sign = before ? -1 : 1;
  ProjectCounters& counters = m_doc.Counters();
  counters.mainGroups += sign * m_mainGroups;
  counters.middleGroups += sign * m_middleGroups;
  counters.groupAddresses += sign * m_groupAddresses;
}

bool ProjectEdit::PieceHeld(const Piece& piece) const {
  if (piece.item) return piece.item->ClientRefCount() > 0;
  return HeldByClient(*piece.node);
}

void ProjectEdit::DetachPiece(Piece& piece) {
  DocumentViews* views = m_doc.Views();
  GroupNode& parent = *piece.parent;
  if (piece.item) {
    GroupItem& item = *piece.item;
    if (views) views->ItemRemoving(item);
    m_doc.OnItemDestroying(item);
    piece.heldItem = parent.TakeItem(item);
    item.m_parent = nullptr;
    return;
  }
  GroupNode& node = *piece.node;
  if (views) views->NodeRemoving(node);
  ForEachItemBelow(node, [&](GroupItem& item) { m_doc.OnItemDestroying(item); });
  piece.heldNode = parent.TakeChild(node);
  node.m_parent = nullptr;
}

void ProjectEdit::AttachPiece(Piece& piece) {
  DocumentViews* views = m_doc.Views();
  GroupNode& parent = *piece.parent;
  if (piece.heldItem) {
    const std::size_t index = std::min(piece.index, parent.m_items.size());
    piece.item->m_parent = &parent;
    parent.m_items.insert(parent.m_items.begin() + static_cast<std::ptrdiff_t>(index),
                          std::move(piece.heldItem));
    if (views) views->ItemAdded(*piece.item);
    return;
  }
  const std::size_t index = std::min(piece.index, parent.m_children.size());
  piece.node->m_parent = &parent;
  parent.m_children.insert(parent.m_children.begin() + static_cast<std::ptrdiff_t>(index),
                           std::move(piece.heldNode));
  if (views) TellNodeAdded(*views, *piece.node);
}

bool ProjectEdit::Detach(bool reverse) {
  if (std::any_of(m_pieces.begin(), m_pieces.end(), [&](const Piece& p) { return PieceHeld(p); }))
    return false;
  if (reverse) {
    for (auto p = m_pieces.rbegin(); p != m_pieces.rend(); ++p) DetachPiece(*p);
  } else {
    for (Piece& p : m_pieces) DetachPiece(p);
  }
  return true;
}

void ProjectEdit::Attach(bool reverse) {
  if (reverse) {
    for (auto p = m_pieces.rbegin(); p != m_pieces.rend(); ++p) AttachPiece(*p);
  } else {
    for (Piece& p : m_pieces) AttachPiece(p);
  }
}

bool ProjectEdit::Valid() const {
  return m_generation == m_doc.ContentsGeneration();
}

void ProjectEdit::TellViews() {
  DocumentViews* views = m_doc.Views();
  if (!views) return;
  // Only what stands in the tree now: the pieces this record holds are out of the views.
  GroupNode& root = m_doc.Root();
  for (TouchedNode& t : m_nodes) {
    if (&RootOf(*t.node) != &root) continue;
    if (t.node == &root) {
      views->RefreshRootName(root);
    } else {
      views->NodeChanged(*t.node);
    }
    views->RefreshNodeMark(*t.node);
  }
  for (TouchedItem& t : m_items)
    if (t.item->m_parent && &RootOf(*t.item->m_parent) == &root) views->ItemChanged(*t.item);
}

bool ProjectEdit::Undo() {
  if (!Valid()) return false;
  bool refused = false;
  {
    std::lock_guard tagLock(m_doc.TagLock());
    if (m_adds) {
      refused = !Detach(true);
    } else {
      Attach(true);
    }
    if (!refused) {
      ApplyStates(true);
      TellViews();
    }
  }
  return Finished(refused);
}

bool ProjectEdit::Redo() {
  if (!Valid()) return false;
  bool refused = false;
  {
    std::lock_guard tagLock(m_doc.TagLock());
    if (m_adds) {
      Attach(false);
    } else {
      refused = !Detach(false);
    }
    if (!refused) {
      ApplyStates(false);
      TellViews();
    }
  }
  return Finished(refused);
}

bool ProjectEdit::Finished(bool refused) {
  // Shown without the tag lock: clients go on being served while the message is open.
  if (refused) {
    m_doc.GetPrompt().Show(m_refusal, {}, PromptKind::Warning);
    return false;
  }
  m_doc.Callback().NameSpaceChanged();
  m_doc.SetModifiedFlag();
  return true;
}
