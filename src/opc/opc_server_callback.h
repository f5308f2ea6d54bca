// OpcServerCallback: the system's side of the OPC toolkit; maps item IDs to group items.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "project/group_node.h"
#include "project/members_version.h"
#include "project/name_space_holder.h"
#include "toolkit/c_opc_callback.h"

// The one callback object of the program. It owns the name space (the root node, "Root" until
// a project names it, and the devices node that the main window shows beside it) and the tag
// lock, which guards the name space and every tag's value, quality and time stamp. The lock is
// re-entrant; it is taken after the device list lock and before the request queue, check
// queue and failed list locks.
class OpcServerCallback : public COPCCallback, public NameSpaceHolder {
 public:
  OpcServerCallback();
  ~OpcServerCallback() override;

  // Where writes and device reads go; none until the document exists (writes then fail).
  void SetDocument(OpcDocument* document) override;
  OpcDocument* Document() const override { return m_document; }

  GroupNode& Root() override { return *m_root; }
  const GroupNode& Root() const { return *m_root; }
  // The devices node of the main window's tree; not part of the name space.
  GroupNode* DevicesNode() const override { return m_devicesNode.get(); }
  void SetDevicesNode(std::unique_ptr<GroupNode> node) override;

  std::recursive_mutex& GetTagLock() override { return m_tagLock; }
  void NameSpaceChanged() override { ++m_nameSpaceVersion; }
  // Edits count here, and every change to a group's members counts in MembersVersion.
  std::uint64_t NameSpaceVersion() const override {
    return m_nameSpaceVersion.load() + MembersVersion();
  }

  // Six properties for a known item (count 6, tag the item); OPC_E_UNKNOWNITEMID otherwise.
  HRESULT QueryPropertyCount(const char* itemId, std::uint32_t* count, CTag** tag) override;
  // Fills min(count, 6) rows of the property table (ids 1-5 and 101) for `tag`.
  HRESULT QueryAvailableProperties(const char* itemId, std::uint32_t count, CTag* tag,
                                   std::uint32_t* propertyIds, std::u16string* descriptions,
                                   VARTYPE* dataTypes) override;
  // Values of the requested properties; an unknown property id leaves its value untouched.
  HRESULT GetItemProperties(const char* itemId, std::uint32_t count,
                            const std::uint32_t* propertyIds, Variant* values,
                            HRESULT* errors) override;
  // A new OpcNameSpaceBrowser at the root; the caller owns it.
  COPCBrowser* CreateBrowser() override;
  // At least 10 ms.
  std::uint32_t ReviseUpdateRate(std::uint32_t rate) override;
  CTag* FindTag(const char* itemId, const char* accessPath, int flags) override;
  // Copies the item's canonical type and access rights into `record`.
  HRESULT ValidateTag(CTag* record, const char* itemId, const char* accessPath, int flags) override;
  std::string GetTagItemID(CTag* tag) override;
  // The natural range of percent (0-100) and angle (0-360) items, S_OK; S_FALSE for others.
  HRESULT GetTagLimits(CTag* tag, double* low, double* high) override;
  // Asks the document for a fresh value; the value arrives later. Returns S_OK.
  HRESULT ReadTagFromDevice(CTag* tag) override;
  // Converts `value` to the item's canonical type (ConvertWrittenValue) and hands it to the
  // document. A failed conversion is returned and nothing is written.
  HRESULT WriteTag(CTag* tag, const Variant& value) override;
  // "Zelvox specific Error" for every code.
  const char* GetErrorString(HRESULT code, std::uint32_t locale) override;
  // "Quendra s.c."
  const char* GetVendorInfo() override;

 private:
  std::recursive_mutex m_tagLock;
  std::unique_ptr<GroupNode> m_root;
  std::unique_ptr<GroupNode> m_devicesNode;
  OpcDocument* m_document = nullptr;
  std::atomic<std::uint64_t> m_nameSpaceVersion{0};
};
