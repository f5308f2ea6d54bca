// OpcNameSpaceBrowser: a client's walk through the name space (branches, leaves, flat list).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/c_opc_browser.h"

class GroupItem;
class GroupNode;
class OpcServerCallback;

// One per client browse session; starts at the root with no enumeration. Every operation
// but QueryOrganization runs under the tag lock. Returned names and IDs stay valid until the
// next call on the same browser and are at most 255 characters: a longer one is never cut (a
// cut ID would name another item or none), so NextItemID skips it and GetItemID returns "".
class OpcNameSpaceBrowser : public COPCBrowser {
 public:
  static constexpr std::size_t kMaxNameLength = 255;

  explicit OpcNameSpaceBrowser(OpcServerCallback& server);

  int QueryOrganization() override;
  // To the parent node: 1; at the root: 0 and nothing changes.
  int MoveUp() override;
  // To the first child named `name` (case ignored, no splitting at dots): 1; none: 0.
  int MoveDown(const char* name) override;
  // Stores type and filters and restarts the enumeration; a flat browse (3) moves to the root
  // and takes a new snapshot of every item ID. Returns 0.
  long BrowseItemIDs(int browseType, const char* pattern, VARTYPE dataTypeFilter,
                     std::uint32_t accessRightsFilter) override;
  // The current node's path followed by `name` when `name` leads to an item from here.
  const char* GetItemID(const char* name) override;
  // The next entry that passes the filters; "" at the end.
  const char* NextItemID() override;
  void ResetEnumeration() override;

 private:
  // The current node, or the root when the node was destroyed since the last call (a cleared
  // project); the enumeration then ends.
  GroupNode& Current();
  bool Passes(const std::string& name, const GroupItem& item) const;
  bool PassesPattern(const std::string& name) const;
  const char* Return(const std::string& text);

  OpcServerCallback& m_server;
  GroupNode* m_current;
  int m_mode = 0;  // OPC_BRANCH, OPC_LEAF, OPC_FLAT; 0 none
  std::size_t m_cursor = 0;
  std::vector<std::string> m_flatList;
  std::string m_pattern;
  VARTYPE m_dataTypeFilter = 0;
  std::uint32_t m_accessRightsFilter = 0;
  std::string m_buffer;
};
