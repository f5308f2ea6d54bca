// Edit commands: binding the editing commands to the selection, the dialogs and the undo sink.
#include "project/edit_commands.h"

#include <optional>
#include <string>
#include <vector>

#include "project/delete_commands.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/group_address_entry.h"
#include "project/group_commands.h"
#include "project/group_node.h"
#include "project/link_commands.h"
#include "project/linked_addresses_dialog.h"
#include "project/name_dialog.h"

namespace {

GroupNode* SelectedGroup(CDORAzivazDoc& doc) {
  DocumentViews* views = doc.Views();
  GroupNode* node = views ? views->SelectedNode() : nullptr;
  return node && !node->m_deviceNode ? node : nullptr;
}

std::vector<GroupItem*> SelectedItems(CDORAzivazDoc& doc) {
  DocumentViews* views = doc.Views();
  return views ? views->SelectedItems() : std::vector<GroupItem*>{};
}

std::optional<std::string> AskName(CDORAzivazDoc& doc, unsigned prompt, std::string_view name) {
  NameDialog* dialog = doc.Names();
  if (!dialog) return std::nullopt;
  return dialog->AskName(prompt, name);
}

void EditLinks(CDORAzivazDoc& doc) {
  const std::vector<GroupItem*> items = SelectedItems(doc);
  LinkedAddressesDialog* dialog = doc.LinksDialog();
  if (items.empty() || !dialog) return;
  GroupItem& item = *items.front();
  const auto chosen = dialog->Edit(item, FindCurrentLinks(doc.Root(), item));
  if (chosen) doc.RecordEdit(SetLinks(doc, item, *chosen));
}

void RenameSelectedGroup(CDORAzivazDoc& doc) {
  GroupNode* node = SelectedGroup(doc);
  if (!node || !node->m_parent) return;
  if (const auto name = AskName(doc, kStrGroupNamePrompt, node->m_name))
    doc.RecordEdit(RenameGroup(doc, *node, *name));
}

}  // namespace

void RegisterEditCommands(CDORAzivazDoc& doc) {
  CDORAzivazDoc* d = &doc;
  d->SetCommand(kCmdReadItems, [d] { ReadItems(*d, SelectedItems(*d)); });
  d->SetCommand(kCmdReadGroup, [d] {
    if (GroupNode* node = SelectedGroup(*d)) ReadGroup(*d, *node);
  });
  for (unsigned id : {kCmdGroupPrioritySystem, kCmdGroupPriorityHigh, kCmdGroupPriorityAlarm,
                      kCmdGroupPriorityLow}) {
    d->SetCommand(id, [d, id] {
      if (GroupNode* node = SelectedGroup(*d))
        d->RecordEdit(SetGroupPriority(*d, *node, GroupPriorityOfCommand(id)));
    });
  }
  for (unsigned id : {kCmdGroupReadAtStart, kCmdGroupReadNoneAtStart}) {
    d->SetCommand(id, [d, id] {
      if (GroupNode* node = SelectedGroup(*d))
        d->RecordEdit(SetGroupInitialRead(*d, *node, id == kCmdGroupReadAtStart));
    });
  }
  d->SetCommand(kCmdItemProperties, [d] {
    const std::vector<GroupItem*> items = SelectedItems(*d);
    if (!items.empty()) d->RecordEdit(d->OnItemProperties(*items.front()));
  });
  d->SetCommand(kCmdEditLinks, [d] { EditLinks(*d); });
  d->SetCommand(kCmdDeleteLinks, [d] { d->RecordEdit(DeleteLinks(*d, SelectedItems(*d))); });
  d->SetCommand(kCmdNewMainGroup, [d] {
    if (const auto name = AskName(*d, kStrMainGroupNamePrompt, {}))
      d->RecordEdit(NewMainGroup(*d, *name));
  });
  d->SetCommand(kCmdNewMiddleGroup, [d] {
    GroupNode* node = SelectedGroup(*d);
    if (!node) return;
    if (const auto name = AskName(*d, kStrMiddleGroupNamePrompt, {}))
      d->RecordEdit(NewMiddleGroup(*d, *node, *name));
  });
  d->SetCommand(kCmdRenameGroup, [d] { RenameSelectedGroup(*d); });
  d->SetCommand(kCmdRenameProject, [d] {
    if (const auto name = AskName(*d, kStrProjectNamePrompt, d->Root().m_name))
      d->RecordEdit(RenameProject(*d, *name));
  });
  d->SetCommand(kCmdDeleteGroup, [d] {
    if (GroupNode* node = SelectedGroup(*d)) d->RecordEdit(DeleteGroup(*d, *node));
  });
  d->SetCommand(kCmdDeleteItems, [d] { d->RecordEdit(DeleteItems(*d, SelectedItems(*d))); });
  d->SetCommand(kCmdDelete, [d] { d->RecordEdit(DeleteSelection(*d)); });
}
