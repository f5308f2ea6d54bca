// ListTexts: column texts by the column table of the item list.
#include "ui/list_texts.h"

#include "opc/value_text.h"
#include "project/group_address_entry.h"
#include "project/group_item.h"

std::string ItemColumnText(const GroupItem& item, int column) {
  switch (column) {
    case kColAddress:
      return item.m_addressText;
    case kColName:
      return item.m_name;
    case kColType:
      return item.m_typeName;
    case kColValue:
      return ItemValueText(item);
    case kColQuality:
      return std::string(QualityText(item.m_quality));
    case kColTime:
      return TimeText(item.m_timestamp);
    case kColPriority:
      return std::string(PriorityText(item.m_priority));
    case kColLinks: {
      std::string text;
      for (const std::string& address : item.m_linkedAddresses) text += address + ' ';
      return text;
    }
    default:
      return {};
  }
}

int ItemImage(const GroupItem& item) {
  return item.m_initialRead ? 4 : 0;
}

int ItemOverlay(const GroupItem& item) {
  return !item.m_typeName.empty() && item.m_typeName[0] == 'U' ? 1 : 0;
}
