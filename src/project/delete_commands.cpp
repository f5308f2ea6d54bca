// Delete commands: groups and items leave the tree into their undo record.
#include "project/delete_commands.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "platform/prompt.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"
#include "project/project_edit.h"
#include "project/untyped_marks.h"

namespace {

bool Confirmed(CDORAzivazDoc& doc, unsigned question) {
  return doc.GetPrompt().Ask(question, {}, PromptKind::Question, PromptButtons::YesNo) ==
         PromptAnswer::Yes;
}

bool IsMainGroup(const GroupNode& node) {
  return node.m_parent && !node.m_parent->m_parent;
}

bool Empty(const GroupNode& node) {
  return node.m_items.empty() && node.m_children.empty();
}

// Counts what leaves with `node`: its items and every group, by the kind of its parent.
void CountBelow(const GroupNode& node, std::int32_t& mains, std::int32_t& middles,
                std::int32_t& items) {
  if (IsMainGroup(node)) {
    ++mains;
  } else {
    ++middles;
  }
  items += static_cast<std::int32_t>(node.m_items.size());
  for (const auto& child : node.m_children) CountBelow(*child, mains, middles, items);
}

void ClearMarks(CDORAzivazDoc& doc, ProjectEdit& edit, GroupNode& from) {
  edit.TouchUpwards(&from);
  ClearUntypedMarksUpwards(&from, doc.Views());
}

}  // namespace

DocumentEditPtr DeleteGroup(CDORAzivazDoc& doc, GroupNode& node) {
  if (!node.m_parent || node.m_deviceNode) return nullptr;
  if (!Confirmed(doc, kStrDeleteQuestion)) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kStrGroupHeld);
  {
    std::lock_guard tagLock(doc.TagLock());
    GroupNode& parent = *node.m_parent;
    std::int32_t mains = 0;
    std::int32_t middles = 0;
    std::int32_t items = 0;
    CountBelow(node, mains, middles, items);
    if (!edit->TakeOut(node)) {
      edit.reset();
    } else {
      ProjectCounters& counters = doc.Counters();
      counters.mainGroups -= mains;
      counters.middleGroups -= middles;
      counters.groupAddresses -= items;
      edit->Count(-mains, -middles, -items);
      if (IsMainGroup(parent) && Empty(parent)) {
        edit->Touch(parent);
        parent.m_number = -1;
      }
      ClearMarks(doc, *edit, parent);
    }
  }
  // Shown without the tag lock: clients go on being served while the message is open.
  if (!edit) {
    doc.GetPrompt().Show(kStrGroupHeld, {}, PromptKind::Warning);
    return nullptr;
  }
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr DeleteItems(CDORAzivazDoc& doc, std::span<GroupItem* const> items) {
  if (items.empty()) return nullptr;
  if (!Confirmed(doc, items.size() == 1 ? kStrDeleteQuestion : kStrDeleteItemsQuestion))
    return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kStrItemsHeld);
  bool held = false;
  {
    std::lock_guard tagLock(doc.TagLock());
    held = std::any_of(items.begin(), items.end(),
                       [](const GroupItem* i) { return i->ClientRefCount() > 0; });
    if (!held) {
      std::vector<GroupNode*> nodes;
      for (GroupItem* item : items) {
        GroupNode* node = item->m_parent;
        // The special items under the root are no group addresses of the project.
        if (!node || !node->m_parent || item->m_eis < 0) continue;
        edit->TakeOut(*item);
        --doc.Counters().groupAddresses;
        edit->Count(0, 0, -1);
        if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) nodes.push_back(node);
        if (!Empty(*node)) continue;
        edit->Touch(*node);
        node->m_number = -1;
        GroupNode* mainGroup = node->m_parent;
        if (!IsMainGroup(*node) && mainGroup->m_items.empty() &&
            mainGroup->m_children.size() == 1) {
          edit->Touch(*mainGroup);
          mainGroup->m_number = -1;
        }
      }
      for (GroupNode* node : nodes) ClearMarks(doc, *edit, *node);
    }
  }
  if (held) {
    doc.GetPrompt().Show(kStrItemsHeld, {}, PromptKind::Warning);
    return nullptr;
  }
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr DeleteSelection(CDORAzivazDoc& doc) {
  DocumentViews* views = doc.Views();
  if (!views) return nullptr;
  GroupNode* node = views->SelectedNode();
  if (node && node->m_deviceNode) {
    doc.OnCommand(kCmdDeleteDevices);
    return nullptr;
  }
  const std::vector<GroupItem*> items = views->SelectedItems();
  if (!items.empty()) return DeleteItems(doc, items);
  if (node) return DeleteGroup(doc, *node);
  return nullptr;
}

ProjectStatistics Statistics(CDORAzivazDoc& doc) {
  ProjectStatistics s;
  const ProjectCounters& counters = doc.Counters();
  s.mainGroups = counters.mainGroups;
  s.middleGroups = counters.middleGroups;
  s.groupAddresses = counters.groupAddresses;
  std::lock_guard deviceLock(doc.DeviceListLock());
  s.devices = static_cast<std::int32_t>(doc.Devices().Size());
  return s;
}
