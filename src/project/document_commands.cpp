// CDORAzivazDoc: the command table, the new group item and item properties commands.
#include <mutex>
#include <optional>
#include <string>

#include "project/default_address_text.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/edit_commands.h"
#include "project/esf_import.h"
#include "project/ets4_conversion.h"
#include "project/group_address_dialog.h"
#include "project/group_address_entry.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/project_edit.h"
#include "project/untyped_marks.h"

bool CDORAzivazDoc::OnCommand(unsigned id) {
  const auto found = m_commands.find(id);
  if (found == m_commands.end() || !found->second) return false;
  // A copy: the handler may replace its own entry.
  const std::function<void()> handler = found->second;
  handler();
  return true;
}

void CDORAzivazDoc::SetCommand(unsigned id, std::function<void()> handler) {
  m_commands[id] = std::move(handler);
}

void CDORAzivazDoc::RegisterOwnCommands() {
  SetCommand(kCmdImportEsf, [this] { OnImportEsf(*this); });
  SetCommand(kCmdConvertEts4, [this] { OnConvertEts4(*this); });
  SetCommand(kCmdNewGroupItem, [this] { RecordEdit(OnNewGroupItem()); });
  RegisterEditCommands(*this);
}

std::string DefaultAddressText(const GroupNode& node) {
  auto number = [](std::int32_t n) { return std::to_string(n == -1 ? 0 : n) + "/"; };
  // A middle group's parent is a main group, whose parent is the root.
  if (node.m_parent && node.m_parent->m_parent)
    return number(node.m_parent->m_number) + number(node.m_number);
  return number(node.m_number);
}

DocumentEditPtr CDORAzivazDoc::OnNewGroupItem() {
  DocumentViews* views = m_services.views;
  GroupAddressDialog* dialog = m_services.addressDialog;
  if (!views || !dialog) return nullptr;
  GroupNode* node = views->SelectedNode();
  // Only main and middle groups take items: not the root, not the devices node.
  if (!node || !node->m_parent || node->m_deviceNode) return nullptr;

  auto edit = std::make_unique<ProjectEdit>(*this, kStrItemsHeld);
  std::unique_ptr<GroupItem> item;
  {
    std::lock_guard tagLock(TagLock());
    // The node numbers a new item may set, and the untyped marks it changes.
    edit->TouchUpwards(node);
    item = CreateGroupItem(DefaultAddressText(*node), {}, "Unknown", kPriorityLow, *node, this);
  }
  const std::optional<GroupAddressEntry> entry =
      dialog->Edit(*item, OpenGroupAddressEntry(*item, true));
  std::lock_guard tagLock(TagLock());
  if (!entry) {
    // Making the untyped item marked the groups above it; without it they may be clean.
    item.reset();
    ClearUntypedMarksUpwards(node, views);
    return nullptr;
  }
  ApplyGroupAddressEntry(*this, *item, *entry, *edit);
  GroupItem& added = node->AppendItem(std::move(item));
  if (added.m_eis == 0) MarkUntypedUpwards(node, views);
  edit->Added(added);
  views->ItemAdded(added);
  ++m_counters.groupAddresses;
  edit->Count(0, 0, 1);
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr CDORAzivazDoc::OnItemProperties(GroupItem& item) {
  GroupAddressDialog* dialog = m_services.addressDialog;
  if (!dialog || !item.m_parent || item.m_eis < 0) return nullptr;
  const std::optional<GroupAddressEntry> entry =
      dialog->Edit(item, OpenGroupAddressEntry(item, false));
  if (!entry) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(*this, kStrItemsHeld);
  {
    std::lock_guard tagLock(TagLock());
    if (!ApplyGroupAddressEntry(*this, item, *entry, *edit)) return nullptr;
  }
  return ProjectEdit::Conclude(std::move(edit));
}

void CDORAzivazDoc::RecordEdit(DocumentEditPtr edit) {
  if (edit && m_editSink) m_editSink(std::move(edit));
}
