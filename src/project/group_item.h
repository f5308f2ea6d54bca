// GroupItem: one group address of the project, which is also the OPC tag that clients see.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/c_tag.h"

class CDORAzivazDoc;
class GroupNode;

// KNX priorities of an item's telegrams.
constexpr std::int32_t kPrioritySystem = 0;
constexpr std::int32_t kPriorityHigh = 1;
constexpr std::int32_t kPriorityAlarm = 2;
constexpr std::int32_t kPriorityLow = 3;

// The CTag base carries canonical type, value, time stamp, quality and access rights.
// Items are owned by their node; clients hold them only through the CTag reference count.
class GroupItem : public CTag {
 public:
  GroupItem() = default;
  // Tells the root's ItemLifecycle, then drops the item's listener entries (DropListeners).
  ~GroupItem() override;

  // Sets the address text, keeping the parent's index right, and the sub number and item ID
  // that follow from it.
  void SetAddressText(std::string text);

  // As read, e.g. "1/2/3" or "1/515"; the leaf name for browsing. Read only: SetAddressText.
  const std::string& m_addressText = m_address;
  std::int32_t m_subNumber = 0;  // value after the last "/", matched by FindItemByAddress
  std::string m_itemId;          // the parent's path followed by the address text
  std::string m_name;            // may be empty
  std::string m_typeName;        // the EIS type's display name
  GroupNode* m_parent = nullptr;
  CDORAzivazDoc* m_pDoc = nullptr;
  std::int32_t m_size = 0;  // bits on the bus; -1 for the string types
  std::int32_t m_eis = 0;   // 1..15, 0 untyped, -1 "String", -2 "Array of Strings"
  std::int32_t m_subtype = 0;
  std::int32_t m_priority = kPriorityLow;
  std::int32_t m_listRow = -1;                 // row in the main window's list; -1 not shown
  std::vector<std::string> m_listeners;        // items whose links contain this address
  std::vector<std::string> m_linkedAddresses;  // further addresses of the same objects
  void* m_listView = nullptr;                  // the list that shows the item (opaque)
  std::int64_t m_responseDeadline = 0;         // seconds since 1970; 0 when none
  std::int64_t m_responseSeenAt = 0;  // a response that came while no read was pending; 0 none
  std::int32_t m_initialRead = 0;     // read from the bus when a project is loaded
  std::int32_t m_written = 0;
  std::int32_t m_shown = 0;
  bool m_untypedMark = false;  // the list row's untyped mark

 private:
  // The name by which the parent's index finds the item; read straight from the storage, not
  // through the reference member, which would cost every probe one more load.
  friend const std::string& IndexedName(const GroupItem& item) { return item.m_address; }

  std::string m_address;
};

// A new item for `parent`: ID, sub number, type from the ESF type text, empty value, quality
// uncertain, time stamp now. When it is untyped, `parent` and every node above it get the
// untyped mark. The caller appends the item to the parent's items.
std::unique_ptr<GroupItem> CreateGroupItem(std::string_view addressText, std::string_view name,
                                           std::string_view esfType, std::int32_t priority,
                                           GroupNode& parent, CDORAzivazDoc* doc);
