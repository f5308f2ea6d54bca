// GroupAddressEntry: opening, checking and saving the group address dialog's fields.
#include "project/group_address_entry.h"

#include <algorithm>
#include <optional>

#include "platform/clock.h"
#include "platform/decimal_value.h"
#include "project/change_item_type.h"
#include "project/document_views.h"
#include "project/dorazivaz_doc.h"
#include "project/eis_type.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "project/item_id.h"
#include "project/project_edit.h"

namespace {

constexpr std::string_view kPriorityTexts[] = {"System", "High", "Alarm", "Low"};

// An unsigned number of at most five digits; none for an empty text or any other character.
std::optional<std::uint32_t> UnsignedField(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

const GroupNode* ChildNumbered(const GroupNode& parent, std::int32_t number) {
  for (const auto& child : parent.m_children)
    if (child->m_number != -1 && child->m_number == number) return child.get();
  return nullptr;
}

bool OtherItemHasSub(const GroupNode& node, const GroupItem& item, std::int32_t sub) {
  return std::any_of(node.m_items.begin(), node.m_items.end(), [&](const auto& other) {
    return other.get() != &item && other->m_subNumber == sub;
  });
}

// The address text of an item of `node` with sub number `sub`: the numbers of the nodes above
// it (not the root), each followed by "/".
std::string BuildAddressText(const GroupNode& node, std::int32_t sub) {
  std::string text = std::to_string(sub);
  for (const GroupNode* n = &node; n && n->m_parent; n = n->m_parent)
    text = std::to_string(n->m_number) + "/" + text;
  return text;
}

void CollectListenersOf(const GroupNode& node, const std::string& address,
                        std::vector<std::string>& out) {
  for (const auto& child : node.m_children) CollectListenersOf(*child, address, out);
  for (const auto& other : node.m_items)
    for (const std::string& linked : other->m_linkedAddresses)
      if (linked == address) out.push_back(other->m_addressText);
}

// The item's address text changes from `old`: the items it links to list the new text among
// their listeners, and its own listeners are the items whose links name the new text.
void FollowNewAddress(CDORAzivazDoc& doc, GroupItem& item, const std::string& old,
                      ProjectEdit& edit) {
  const GroupNode& root = doc.Root();
  for (const std::string& linked : item.m_linkedAddresses) {
    GroupItem* target = FindItemByAddress(root, linked);
    if (!target || target == &item) continue;
    auto entry = std::find(target->m_listeners.begin(), target->m_listeners.end(), old);
    if (entry == target->m_listeners.end()) continue;
    edit.Touch(*target);
    *entry = item.m_addressText;
  }
  item.m_listeners.clear();
  CollectListenersOf(root, item.m_addressText, item.m_listeners);
}

// The type the dialog's list names; a text of another form is read as an ESF type text.
const EisType& TypeNamed(std::string_view name) {
  for (const EisType& type : EisTypes())
    if (type.name == name) return type;
  return MatchEsfType(name);
}

}  // namespace

std::string_view ItemPriorityText(std::int32_t priority) {
  return priority >= 0 && priority <= 3 ? kPriorityTexts[priority] : kPriorityTexts[kPriorityAlarm];
}

std::int32_t ItemPriorityOfText(std::string_view text) {
  for (std::int32_t p = 0; p < 4; ++p)
    if (kPriorityTexts[p] == text) return p;
  return kPriorityAlarm;
}

GroupAddressEntry OpenGroupAddressEntry(const GroupItem& item, bool isNew) {
  GroupAddressEntry entry;
  const std::string_view text = item.m_addressText;
  const auto first = text.find('/');
  entry.main = std::to_string(DecimalValue(text.substr(0, first), {false, false}));
  const auto second = first == std::string_view::npos ? first : text.find('/', first + 1);
  entry.twoLevel = second == std::string_view::npos;
  if (!entry.twoLevel)
    entry.middle =
        std::to_string(DecimalValue(text.substr(first + 1, second - first - 1), {false, false}));
  entry.sub = std::to_string(item.m_subNumber);
  if (const GroupNode* node = item.m_parent; node && node->m_parent) {
    if (entry.twoLevel) {
      entry.mainEditable = node->m_number == -1;
    } else {
      entry.middleEditable = node->m_number == -1;
      entry.mainEditable = node->m_parent->m_parent && node->m_parent->m_number == -1;
    }
  }
  entry.isNew = isNew;
  entry.name = item.m_name;
  entry.typeText = item.m_typeName;
  entry.priorityText = ItemPriorityText(item.m_priority);
  entry.initialRead = item.m_initialRead != 0;
  return entry;
}

unsigned CheckGroupAddressEntry(const GroupItem& item, const GroupAddressEntry& entry) {
  const std::optional<std::uint32_t> main = UnsignedField(entry.main);
  if (entry.mainEditable && (!main || *main > 31)) return kStrMainGroupRange;
  const std::optional<std::uint32_t> middle = UnsignedField(entry.middle);
  if (!entry.twoLevel && entry.middleEditable && (!middle || *middle > 7))
    return kStrMiddleGroupRange;
  const std::optional<std::uint32_t> sub = UnsignedField(entry.sub);
  if (entry.twoLevel && (!sub || *sub > 2047)) return kStrTwoLevelSubGroupRange;
  if (!entry.twoLevel && (!sub || *sub > 255)) return kStrSubGroupRange;
  // Fields that cannot be typed hold the item's own numbers.
  const std::uint32_t mainValue = main.value_or(0);
  const std::uint32_t middleValue = middle.value_or(0);
  const std::string text = entry.twoLevel
                               ? std::to_string(mainValue) + "/" + std::to_string(*sub)
                               : std::to_string(mainValue) + "/" + std::to_string(middleValue) +
                                     "/" + std::to_string(*sub);
  if (text == item.m_addressText && !entry.isNew) return 0;
  if (!item.m_parent) return 0;

  const GroupNode& root = RootOf(*item.m_parent);
  const GroupNode* mainGroup = ChildNumbered(root, static_cast<std::int32_t>(mainValue));
  if (!mainGroup) return 0;
  if (entry.mainEditable) return kStrAddressTaken;
  const auto subValue = static_cast<std::int32_t>(*sub);
  if (entry.twoLevel) return OtherItemHasSub(*mainGroup, item, subValue) ? kStrAddressTaken : 0;
  const GroupNode* middleGroup = ChildNumbered(*mainGroup, static_cast<std::int32_t>(middleValue));
  if (!middleGroup) return 0;
  if (entry.middleEditable) return kStrAddressTaken;
  return OtherItemHasSub(*middleGroup, item, subValue) ? kStrAddressTaken : 0;
}

bool ApplyGroupAddressEntry(CDORAzivazDoc& doc, GroupItem& item, const GroupAddressEntry& entry,
                            ProjectEdit& edit) {
  GroupNode& node = *item.m_parent;
  bool changed = false;
  edit.Touch(item);
  const auto main = static_cast<std::int32_t>(DecimalValue(entry.main, {false, false}));
  const auto middle = static_cast<std::int32_t>(DecimalValue(entry.middle, {false, false}));
  const auto sub = static_cast<std::int32_t>(DecimalValue(entry.sub, {false, false}));
  auto setNumber = [&](GroupNode& group, std::int32_t number) {
    if (group.m_number == number) return;
    edit.Touch(group);
    group.m_number = number;
    changed = true;
  };
  if (entry.twoLevel) {
    if (entry.mainEditable) setNumber(node, main);
  } else {
    if (entry.mainEditable && node.m_parent && node.m_parent->m_parent)
      setNumber(*node.m_parent, main);
    if (entry.middleEditable) setNumber(node, middle);
  }

  // Rebuilt whenever it comes out different: a new item keeps no unfinished text ("1/2/").
  const std::string address = BuildAddressText(node, sub);
  if (address != item.m_addressText) {
    const std::string old = item.m_addressText;
    item.m_subNumber = sub;
    item.SetAddressText(address);
    item.m_itemId = MakeItemId(node, address);
    FollowNewAddress(doc, item, old, edit);
    changed = true;
  }
  if (entry.name != item.m_name) {
    item.m_name = entry.name;
    changed = true;
  }
  if (entry.typeText != item.m_typeName) {
    const EisType& type = TypeNamed(entry.typeText);
    edit.TouchValue(item);
    edit.TouchUpwards(&node);
    ChangeItemType(item, type.eis, type.subtype, doc.Views());
    // The old value means something else in the new type: the item waits for a new one.
    item.m_value = Variant();
    item.m_timestamp = TimeStampNow();
    item.m_quality = OPC_QUALITY_UNCERTAIN;
    changed = true;
  }
  const std::int32_t priority = ItemPriorityOfText(entry.priorityText);
  if (priority != item.m_priority) {
    item.m_priority = priority;
    changed = true;
  }
  const std::int32_t initialRead = entry.initialRead ? 1 : 0;
  if (initialRead != item.m_initialRead) {
    item.m_initialRead = initialRead;
    changed = true;
  }
  return changed;
}
