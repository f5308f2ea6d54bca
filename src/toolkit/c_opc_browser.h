// COPCBrowser: the toolkit's browser base; one per client browse session.
#pragma once

#include <cstdint>

#include "platform/variant.h"

// OPC browse types of BrowseItemIDs.
constexpr int OPC_BRANCH = 1;
constexpr int OPC_LEAF = 2;
constexpr int OPC_FLAT = 3;

// OPC name space organisations of QueryOrganization.
constexpr int OPC_NS_HIERARCHIAL = 1;
constexpr int OPC_NS_FLAT = 2;

class COPCBrowser {
 public:
  COPCBrowser() = default;
  COPCBrowser(const COPCBrowser&) = delete;
  COPCBrowser& operator=(const COPCBrowser&) = delete;
  virtual ~COPCBrowser() = default;

  virtual int QueryOrganization() { return OPC_NS_FLAT; }
  // Return 1 on success, 0 when the move is not possible.
  virtual int MoveUp() { return 0; }
  virtual int MoveDown(const char* /*name*/) { return 0; }
  // Starts an enumeration; `pattern` may be null (no filter). Returns an HRESULT.
  virtual long BrowseItemIDs(int /*browseType*/, const char* /*pattern*/, VARTYPE /*dataTypeFilter*/,
                             std::uint32_t /*accessRightsFilter*/) {
    return 0;
  }
  // Texts stay valid until the next call on the same browser; empty means none.
  virtual const char* GetItemID(const char* /*name*/) { return ""; }
  virtual const char* NextItemID() { return ""; }
  virtual void ResetEnumeration() {}
  // The system defines no access paths: the toolkit's own operations report none.
  virtual long GetAccessPaths(const char* itemId);
  virtual const char* NextAccessPath();
};
