// Group commands: making and renaming groups, group-wide priorities, initial reads and reads.
#include "project/group_commands.h"

#include <algorithm>
#include <mutex>

#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"
#include "project/item_id.h"
#include "project/project_edit.h"

namespace {

// Edits that never take anything out of the tree.
constexpr unsigned kNoRefusal = 0;

// Every bus item below `node`: children first, then the node's own items. The special items
// under the root are no bus items and keep their fixed settings.
template <typename Visit>
void ForEachBusItem(GroupNode& node, const Visit& visit) {
  for (auto& child : node.m_children) ForEachBusItem(*child, visit);
  for (auto& item : node.m_items)
    if (item->m_eis >= 0) visit(*item);
}

DocumentEditPtr NewGroup(CDORAzivazDoc& doc, GroupNode& parent, std::string_view name,
                         bool mainGroup) {
  if (name.empty()) return nullptr;
  // Its undo takes the group out again, which a client holding an item in it would prevent.
  auto edit = std::make_unique<ProjectEdit>(doc, kStrGroupHeld);
  GroupNode* node = nullptr;
  {
    std::lock_guard tagLock(doc.TagLock());
    const std::string unique = MakeUniqueNodeName(CleanGroupName(name), parent);
    node = &parent.AppendChild(CreateGroupNode(unique, -1, &doc));
    edit->Added(*node);
  }
  edit->Count(mainGroup ? 1 : 0, mainGroup ? 0 : 1, 0);
  auto& counters = doc.Counters();
  (mainGroup ? counters.mainGroups : counters.middleGroups) += 1;
  if (DocumentViews* views = doc.Views()) {
    views->NodeAdded(*node);
    views->SelectNode(*node);
  }
  return ProjectEdit::Conclude(std::move(edit));
}

}  // namespace

std::string CleanGroupName(std::string_view name) {
  std::string clean(name);
  std::replace(clean.begin(), clean.end(), '.', '_');
  return clean;
}

DocumentEditPtr NewMainGroup(CDORAzivazDoc& doc, std::string_view name) {
  return NewGroup(doc, doc.Root(), name, true);
}

DocumentEditPtr NewMiddleGroup(CDORAzivazDoc& doc, GroupNode& mainGroup, std::string_view name) {
  const bool isMainGroup =
      mainGroup.m_parent && !mainGroup.m_parent->m_parent && !mainGroup.m_deviceNode;
  if (!isMainGroup) return nullptr;
  return NewGroup(doc, mainGroup, name, false);
}

DocumentEditPtr RenameGroup(CDORAzivazDoc& doc, GroupNode& node, std::string_view name) {
  if (name.empty() || !node.m_parent || node.m_deviceNode) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    edit->Touch(node);
    edit->TouchBelow(node, false);
    // The node's own name must not count as taken.
    const std::string old = node.m_name;
    node.SetName({});
    node.SetName(MakeUniqueNodeName(CleanGroupName(name), *node.m_parent));
    if (node.m_name == old) return nullptr;
    RebuildItemIds(node);
  }
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr RenameProject(CDORAzivazDoc& doc, std::string_view name) {
  GroupNode& root = doc.Root();
  if (name.empty() || root.m_name == name) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    edit->Touch(root);
    root.SetName(std::string(name));
  }
  return ProjectEdit::Conclude(std::move(edit));
}

std::int32_t GroupPriorityOfCommand(unsigned command) {
  switch (command) {
    case kCmdGroupPrioritySystem:
      return kPrioritySystem;
    case kCmdGroupPriorityHigh:
      return kPriorityHigh;
    case kCmdGroupPriorityAlarm:
      return kPriorityAlarm;
    case kCmdGroupPriorityLow:
      return kPriorityLow;
    default:
      return -1;
  }
}

DocumentEditPtr SetGroupPriority(CDORAzivazDoc& doc, GroupNode& node, std::int32_t priority) {
  if (priority < kPrioritySystem || priority > kPriorityLow) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    ForEachBusItem(node, [&](GroupItem& item) {
      if (item.m_priority == priority) return;
      edit->Touch(item);
      item.m_priority = priority;
    });
  }
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr SetGroupInitialRead(CDORAzivazDoc& doc, GroupNode& node, bool read) {
  const std::int32_t flag = read ? 1 : 0;
  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    ForEachBusItem(node, [&](GroupItem& item) {
      if (item.m_initialRead == flag) return;
      edit->Touch(item);
      item.m_initialRead = flag;
    });
  }
  return ProjectEdit::Conclude(std::move(edit));
}

int ReadGroup(CDORAzivazDoc& doc, GroupNode& node) {
  int asked = 0;
  std::lock_guard tagLock(doc.TagLock());
  ForEachBusItem(node, [&](GroupItem& item) {
    doc.QueueRead(item);
    ++asked;
  });
  return asked;
}

int ReadItems(CDORAzivazDoc& doc, std::span<GroupItem* const> items) {
  std::lock_guard tagLock(doc.TagLock());
  for (GroupItem* item : items) doc.QueueRead(*item);
  return static_cast<int>(items.size());
}
