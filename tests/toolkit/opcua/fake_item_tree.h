// FakeItemTree: an in-memory name space of tags served through a COPCCallback and COPCBrowser,
// standing in for the system above the toolkit in the OPC UA server's tests.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/c_opc_callback.h"

struct FakeItem : CTag {
  std::string leaf;
  std::string itemId;
  std::string name;  // the item's description
};

struct FakeNode {
  std::string name;
  FakeNode* parent = nullptr;
  std::vector<std::unique_ptr<FakeNode>> children;
  std::vector<std::unique_ptr<FakeItem>> items;
};

class FakeItemTree : public COPCCallback {
 public:
  // Adds an item under the dotted folder path (made as needed; "" is the root).
  FakeItem& Add(const std::string& folderPath, const std::string& leaf, VARTYPE type, Variant value,
                const std::string& name = "");
  // Sets an item's value with quality good and the current time, as a received telegram would.
  void Update(FakeItem& item, Variant value);

  std::recursive_mutex& GetTagLock() override { return m_lock; }
  HRESULT QueryPropertyCount(const char* itemId, std::uint32_t* count, CTag** tag) override;
  HRESULT QueryAvailableProperties(const char* itemId, std::uint32_t count, CTag* tag,
                                   std::uint32_t* ids, std::u16string* descriptions,
                                   VARTYPE* types) override;
  HRESULT GetItemProperties(const char* itemId, std::uint32_t count, const std::uint32_t* ids,
                            Variant* values, HRESULT* errors) override;
  COPCBrowser* CreateBrowser() override;
  std::uint32_t ReviseUpdateRate(std::uint32_t rate) override { return rate < 10 ? 10 : rate; }
  CTag* FindTag(const char* itemId, const char* accessPath, int flags) override;
  HRESULT ValidateTag(CTag* record, const char* itemId, const char* accessPath, int flags) override;
  std::string GetTagItemID(CTag* tag) override { return static_cast<FakeItem*>(tag)->itemId; }
  HRESULT ReadTagFromDevice(CTag* tag) override;
  HRESULT WriteTag(CTag* tag, const Variant& value) override;
  const char* GetVendorInfo() override { return "Quendra s.c."; }

  FakeNode root;
  int deviceReads = 0;
  std::vector<std::pair<std::string, Variant>> writes;
  // What WriteTag answers before it converts, for the failures of the real system.
  HRESULT writeResult = S_OK;

 private:
  FakeItem* Find(const std::string& itemId);
  std::recursive_mutex m_lock;
  std::unordered_map<std::string, FakeItem*> m_byId;
};
