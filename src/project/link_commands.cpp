// Link commands: the links dialog's confirmation and deleting links, with their undo records.
#include "project/link_commands.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/prompt.h"
#include "project/dorazivaz_doc.h"
#include "project/group_address.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "project/listeners.h"
#include "project/project_edit.h"

namespace {

// Link edits never take anything out of the tree.
constexpr unsigned kNoRefusal = 0;

void CollectLinkable(const GroupNode& node, const GroupItem& item, std::vector<GroupItem*>& out) {
  for (const auto& child : node.m_children) CollectLinkable(*child, item, out);
  for (const auto& candidate : node.m_items)
    if (CanLink(item, *candidate)) out.push_back(candidate.get());
}

void SortByAddress(std::vector<GroupItem*>& items) {
  std::stable_sort(items.begin(), items.end(), [](const GroupItem* a, const GroupItem* b) {
    return ParseGroupAddress(a->m_addressText) < ParseGroupAddress(b->m_addressText);
  });
}

// Touches `item` and the items its links name now (their listeners change).
void TouchWithTargets(ProjectEdit& edit, const GroupNode& root, GroupItem& item) {
  edit.Touch(item);
  for (const std::string& linked : item.m_linkedAddresses)
    if (GroupItem* target = FindItemByAddress(root, linked)) edit.Touch(*target);
}

}  // namespace

bool CanLink(const GroupItem& item, const GroupItem& candidate) {
  return &candidate != &item && candidate.m_eis >= 0 && candidate.m_eis == item.m_eis &&
         candidate.m_subtype == item.m_subtype;
}

CurrentLinks FindCurrentLinks(const GroupNode& root, const GroupItem& item) {
  std::vector<GroupItem*> linkable;
  CollectLinkable(root, item, linkable);
  CurrentLinks current;
  for (const std::string& linked : item.m_linkedAddresses) {
    const auto found = std::find_if(linkable.begin(), linkable.end(),
                                    [&](const GroupItem* c) { return c->m_addressText == linked; });
    const bool twice =
        found != linkable.end() &&
        std::find(current.items.begin(), current.items.end(), *found) != current.items.end();
    if (found == linkable.end() || twice) {
      current.stale = true;
    } else {
      current.items.push_back(*found);
    }
  }
  SortByAddress(current.items);
  return current;
}

DocumentEditPtr SetLinks(CDORAzivazDoc& doc, GroupItem& item, std::span<GroupItem* const> linked) {
  std::vector<GroupItem*> chosen;
  for (GroupItem* candidate : linked) {
    if (CanLink(item, *candidate) &&
        std::find(chosen.begin(), chosen.end(), candidate) == chosen.end())
      chosen.push_back(candidate);
  }
  SortByAddress(chosen);
  std::vector<std::string> texts;
  for (const GroupItem* c : chosen) texts.push_back(c->m_addressText);
  if (texts == item.m_linkedAddresses) return nullptr;

  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    const GroupNode& root = doc.Root();
    TouchWithTargets(*edit, root, item);
    for (GroupItem* c : chosen) edit->Touch(*c);
    DropListeners(item);
    item.m_linkedAddresses = std::move(texts);
    for (const std::string& text : item.m_linkedAddresses)
      if (GroupItem* target = FindItemByAddress(root, text))
        target->m_listeners.push_back(item.m_addressText);
  }
  return ProjectEdit::Conclude(std::move(edit));
}

DocumentEditPtr DeleteLinks(CDORAzivazDoc& doc, std::span<GroupItem* const> items) {
  const bool any = std::any_of(items.begin(), items.end(),
                               [](const GroupItem* i) { return !i->m_linkedAddresses.empty(); });
  if (items.empty()) return nullptr;
  if (doc.GetPrompt().Ask(kStrDeleteLinksQuestion, {}, PromptKind::Question,
                          PromptButtons::YesNo) != PromptAnswer::Yes)
    return nullptr;
  if (!any) return nullptr;
  auto edit = std::make_unique<ProjectEdit>(doc, kNoRefusal);
  {
    std::lock_guard tagLock(doc.TagLock());
    for (GroupItem* item : items) {
      if (item->m_linkedAddresses.empty()) continue;
      TouchWithTargets(*edit, doc.Root(), *item);
      DropListeners(*item);
    }
  }
  return ProjectEdit::Conclude(std::move(edit));
}
