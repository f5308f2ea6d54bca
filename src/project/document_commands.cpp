// CDORAzivazDoc: the command table and the new group item command.
#include <string>

#include "project/default_address_text.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/esf_import.h"
#include "project/ets4_conversion.h"
#include "project/group_address_dialog.h"
#include "project/group_item.h"
#include "project/group_node.h"
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
  SetCommand(kCmdNewGroupItem, [this] { OnNewGroupItem(); });
}

std::string DefaultAddressText(const GroupNode& node) {
  auto number = [](std::int32_t n) { return std::to_string(n == -1 ? 0 : n) + "/"; };
  // A middle group's parent is a main group, whose parent is the root.
  if (node.m_parent && node.m_parent->m_parent)
    return number(node.m_parent->m_number) + number(node.m_number);
  return number(node.m_number);
}

void CDORAzivazDoc::OnNewGroupItem() {
  DocumentViews* views = m_services.views;
  GroupAddressDialog* dialog = m_services.addressDialog;
  if (!views || !dialog) return;
  GroupNode* node = views->SelectedNode();
  // Only main and middle groups take items: not the root, not the devices node.
  if (!node || !node->m_parent || node->m_deviceNode) return;

  auto item = CreateGroupItem(DefaultAddressText(*node), {}, "Unknown", kPriorityLow, *node, this);
  if (!dialog->Edit(*item, true, m_settings.useGmt != 0)) {
    // Making the untyped item marked the groups above it; without it they may be clean.
    item.reset();
    std::lock_guard tagLock(TagLock());
    ClearUntypedMarksUpwards(node, views);
    return;
  }

  GroupItem* added = nullptr;
  {
    std::lock_guard tagLock(TagLock());
    added = &node->AppendItem(std::move(item));
    if (added->m_eis == 0) MarkUntypedUpwards(node, views);
  }
  views->ItemAdded(*added);
  ++m_counters.groupAddresses;
  SetModifiedFlag();
}
