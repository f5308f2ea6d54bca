// GroupItem: creation and destruction of a group item.
#include "project/group_item.h"

#include "platform/clock.h"
#include "platform/decimal_value.h"
#include "project/eis_type.h"
#include "project/group_node.h"
#include "project/item_id.h"
#include "project/item_lifecycle.h"
#include "project/listeners.h"
#include "project/untyped_marks.h"

GroupItem::~GroupItem() {
  if (m_parent) {
    if (ItemLifecycle* lifecycle = RootOf(*m_parent).m_lifecycle)
      lifecycle->OnItemDestroying(*this);
  }
  DropListeners(*this);
}

void GroupItem::SetAddressText(std::string text) {
  auto apply = [&] { m_address = std::move(text); };
  if (m_parent) {
    m_parent->m_items.Rename(*this, apply);
  } else {
    apply();
  }
  const auto slash = m_address.rfind('/');
  m_subNumber =
      DecimalValue(slash == std::string::npos ? std::string_view(m_address)
                                              : std::string_view(m_address).substr(slash + 1));
  if (m_parent) m_itemId = MakeItemId(*m_parent, m_address);
}

std::unique_ptr<GroupItem> CreateGroupItem(std::string_view addressText, std::string_view name,
                                           std::string_view esfType, std::int32_t priority,
                                           GroupNode& parent, CDORAzivazDoc* doc) {
  auto item = std::make_unique<GroupItem>();
  item->SetAddressText(std::string(addressText));
  item->m_itemId = MakeItemId(parent, addressText);
  item->m_name = name;
  SetTypeFromEsf(*item, esfType);
  item->m_value.Clear();
  item->m_quality = OPC_QUALITY_UNCERTAIN;
  item->m_priority = priority;
  item->m_listRow = -1;
  item->m_timestamp = TimeStampNow();
  item->m_parent = &parent;
  item->m_pDoc = doc;
  if (item->m_eis == 0) {
    item->m_untypedMark = true;
    MarkUntypedUpwards(&parent, nullptr);
  }
  return item;
}
