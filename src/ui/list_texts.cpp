// ListTexts: column texts by the column table of the item list.
#include "ui/list_texts.h"

#include "opc/value_text.h"
#include "project/group_item.h"

const char* PriorityText(std::int32_t priority) {
  switch (priority) {
    case kPrioritySystem:
      return "System";
    case kPriorityHigh:
      return "High";
    case kPriorityAlarm:
      return "Alarm";
    case kPriorityLow:
      return "Low";
    default:
      return "";
  }
}

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
      return PriorityText(item.m_priority);
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
