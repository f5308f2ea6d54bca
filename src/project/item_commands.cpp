// ItemCommands: type, priority and initial read changes of selected items under the tag lock,
// each with its undo record.
#include "project/item_commands.h"

#include <algorithm>
#include <mutex>

#include "platform/clock.h"
#include "project/change_item_type.h"
#include "project/dorazivaz_doc.h"
#include "project/eis_type_command.h"
#include "project/group_item.h"
#include "project/item_type_menu.h"
#include "project/project_edit.h"

namespace {

constexpr std::int32_t kStringBits = 112;

// Finishes the record (views, name space, modified flag when something changed) and hands it
// to the caller who asked for it.
void Conclude(std::unique_ptr<ProjectEdit> edit, DocumentEditPtr* undo) {
  DocumentEditPtr done = ProjectEdit::Conclude(std::move(edit));
  if (undo) *undo = std::move(done);
}

}  // namespace

int ApplyEisTypeCommand(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                        std::uint32_t command, GroupTableView* view, DocumentEditPtr* undo) {
  const std::optional<EisTypeCommandEntry> type = EisTypeCommand(command);
  if (!type) return 0;
  auto edit = std::make_unique<ProjectEdit>(doc, kStrItemsHeld);
  int changed = 0;
  {
    std::lock_guard tagLock(doc.TagLock());
    for (GroupItem* item : items) {
      const bool differs = item->m_eis != type->eis || item->m_subtype != type->subtype;
      const bool retypeUntyped =
          command == kCmdTypeUntyped && item->m_eis == 0 && item->m_size != kStringBits;
      if (!differs && !retypeUntyped) continue;
      edit->TouchValue(*item);
      edit->TouchUpwards(item->m_parent);
      ChangeItemType(*item, type->eis, type->subtype, view);
      // The old value means something else in the new type: the item waits for a new one.
      item->m_value = Variant();
      item->m_timestamp = TimeStampNow();
      item->m_quality = OPC_QUALITY_UNCERTAIN;
      ++changed;
    }
  }
  if (changed) doc.SetModifiedFlag();
  Conclude(std::move(edit), undo);
  return changed;
}

std::int32_t PriorityOfCommand(std::uint32_t command) {
  switch (command) {
    case kCmdPrioritySystem:
      return kPrioritySystem;
    case kCmdPriorityHigh:
      return kPriorityHigh;
    case kCmdPriorityAlarm:
      return kPriorityAlarm;
    case kCmdPriorityLow:
      return kPriorityLow;
    default:
      return -1;
  }
}

std::uint32_t CheckedPriorityCommand(std::span<GroupItem* const> items) {
  if (items.empty()) return 0;
  const std::int32_t priority = items.front()->m_priority;
  if (!std::all_of(items.begin(), items.end(),
                   [&](const GroupItem* i) { return i->m_priority == priority; }))
    return 0;
  for (std::uint32_t command :
       {kCmdPrioritySystem, kCmdPriorityHigh, kCmdPriorityAlarm, kCmdPriorityLow}) {
    if (PriorityOfCommand(command) == priority) return command;
  }
  return 0;
}

int ApplyPriorityCommand(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                         std::uint32_t command, DocumentEditPtr* undo) {
  const std::int32_t priority = PriorityOfCommand(command);
  if (priority < 0) return 0;
  auto edit = std::make_unique<ProjectEdit>(doc, kStrItemsHeld);
  int changed = 0;
  {
    std::lock_guard tagLock(doc.TagLock());
    for (GroupItem* item : items) {
      if (item->m_priority == priority) continue;
      edit->Touch(*item);
      item->m_priority = priority;
      ++changed;
    }
  }
  if (changed) doc.SetModifiedFlag();
  Conclude(std::move(edit), undo);
  return changed;
}

bool AllReadAtStart(std::span<GroupItem* const> items) {
  return !items.empty() && std::all_of(items.begin(), items.end(),
                                       [](const GroupItem* i) { return i->m_initialRead != 0; });
}

bool ToggleInitialRead(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                       DocumentEditPtr* undo) {
  const bool set = !AllReadAtStart(items);
  auto edit = std::make_unique<ProjectEdit>(doc, kStrItemsHeld);
  {
    std::lock_guard tagLock(doc.TagLock());
    for (GroupItem* item : items) {
      edit->Touch(*item);
      item->m_initialRead = set ? 1 : 0;
    }
  }
  if (!items.empty()) doc.SetModifiedFlag();
  Conclude(std::move(edit), undo);
  return set;
}
