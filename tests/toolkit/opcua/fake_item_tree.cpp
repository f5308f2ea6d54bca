// FakeItemTree: the in-memory name space, its properties and a browser over it.
#include "fake_item_tree.h"

#include <cstring>

#include "platform/change_type.h"
#include "platform/clock.h"

namespace {
const char16_t* const kDescriptions[] = {
    u"Item Canonical DataType", u"Item Value",         u"Item Quality",
    u"Item Timestamp",          u"Item Access Rights", u"Item Description"};
const std::uint32_t kIds[] = {1, 2, 3, 4, 5, 101};

class FakeBrowser : public COPCBrowser {
 public:
  explicit FakeBrowser(FakeItemTree& tree) : m_tree(tree), m_current(&tree.root) {}
  int QueryOrganization() override { return OPC_NS_HIERARCHIAL; }
  int MoveUp() override {
    if (m_current->parent == nullptr) return 0;
    m_current = m_current->parent;
    return 1;
  }
  int MoveDown(const char* name) override {
    for (auto& c : m_current->children) {
      if (c->name == name) {
        m_current = c.get();
        return 1;
      }
    }
    return 0;
  }
  long BrowseItemIDs(int type, const char*, VARTYPE, std::uint32_t) override {
    m_names.clear();
    if (type == OPC_BRANCH) {
      for (auto& c : m_current->children) m_names.push_back(c->name);
    } else {
      for (auto& i : m_current->items) m_names.push_back(i->leaf);
    }
    m_next = 0;
    return 0;
  }
  const char* GetItemID(const char* name) override {
    m_buffer.clear();
    for (auto& i : m_current->items) {
      if (i->leaf == name) m_buffer = i->itemId;
    }
    return m_buffer.c_str();
  }
  const char* NextItemID() override {
    m_buffer = m_next < m_names.size() ? m_names[m_next++] : std::string();
    return m_buffer.c_str();
  }

 private:
  FakeItemTree& m_tree;
  FakeNode* m_current;
  std::vector<std::string> m_names;
  std::size_t m_next = 0;
  std::string m_buffer;
};
}  // namespace

FakeItem& FakeItemTree::Add(const std::string& folderPath, const std::string& leaf, VARTYPE type,
                            Variant value, const std::string& name) {
  std::lock_guard guard(m_lock);
  FakeNode* node = &root;
  std::size_t start = 0;
  while (start < folderPath.size()) {
    std::size_t dot = folderPath.find('.', start);
    std::string part = folderPath.substr(start, dot == std::string::npos ? dot : dot - start);
    FakeNode* child = nullptr;
    for (auto& c : node->children) {
      if (c->name == part) child = c.get();
    }
    if (child == nullptr) {
      node->children.push_back(std::make_unique<FakeNode>());
      child = node->children.back().get();
      child->name = part;
      child->parent = node;
    }
    node = child;
    start = dot == std::string::npos ? folderPath.size() : dot + 1;
  }
  auto item = std::make_unique<FakeItem>();
  item->leaf = leaf;
  item->itemId = folderPath.empty() ? leaf : folderPath + "." + leaf;
  item->name = name.empty() ? leaf : name;
  item->m_nativeDataType = type;
  item->m_value = std::move(value);
  item->m_quality = OPC_QUALITY_GOOD;
  item->m_timestamp = TimeStampNow();
  m_byId[item->itemId] = item.get();
  node->items.push_back(std::move(item));
  return *node->items.back();
}

void FakeItemTree::Update(FakeItem& item, Variant value) {
  std::lock_guard guard(m_lock);
  item.m_value = std::move(value);
  item.m_quality = OPC_QUALITY_GOOD;
  item.m_timestamp = TimeStampNow();
}

FakeItem* FakeItemTree::Find(const std::string& itemId) {
  std::lock_guard guard(m_lock);
  auto it = m_byId.find(itemId);
  return it == m_byId.end() ? nullptr : it->second;
}

HRESULT FakeItemTree::QueryPropertyCount(const char* itemId, std::uint32_t* count, CTag** tag) {
  FakeItem* item = Find(itemId);
  if (item == nullptr) return OPC_E_UNKNOWNITEMID;
  *count = 6;
  *tag = item;
  return S_OK;
}

HRESULT FakeItemTree::QueryAvailableProperties(const char*, std::uint32_t count, CTag* tag,
                                               std::uint32_t* ids, std::u16string* descriptions,
                                               VARTYPE* types) {
  if (tag == nullptr) return OPC_E_UNKNOWNITEMID;
  const VARTYPE kTypes[] = {VT_I2, tag->m_nativeDataType, VT_I2, VT_DATE, VT_I4, VT_BSTR};
  for (std::uint32_t k = 0; k < count && k < 6; ++k) {
    ids[k] = kIds[k];
    descriptions[k] = kDescriptions[k];
    types[k] = kTypes[k];
  }
  return S_OK;
}

HRESULT FakeItemTree::GetItemProperties(const char* itemId, std::uint32_t count,
                                        const std::uint32_t* ids, Variant* values,
                                        HRESULT* errors) {
  FakeItem* item = Find(itemId);
  if (item == nullptr) return OPC_E_UNKNOWNITEMID;
  std::lock_guard guard(m_lock);
  for (std::uint32_t k = 0; k < count; ++k) {
    errors[k] = S_OK;
    switch (ids[k]) {
      case 1:
        values[k] = Variant::I2(static_cast<std::int16_t>(item->m_nativeDataType));
        break;
      case 2:
        values[k] = item->m_value;
        break;
      case 3:
        values[k] = Variant::I2(static_cast<std::int16_t>(item->m_quality));
        break;
      case 4: {
        double date = 0;
        FileTimeToVariantDate(item->m_timestamp, date);
        values[k] = Variant::Date(date);
        break;
      }
      case 5:
        values[k] = Variant::I4(item->m_accessRights);
        break;
      case 101:
        values[k] = Variant::Bstr(std::u16string(item->name.begin(), item->name.end()));
        break;
    }
  }
  return S_OK;
}

COPCBrowser* FakeItemTree::CreateBrowser() {
  return new FakeBrowser(*this);
}

CTag* FakeItemTree::FindTag(const char* itemId, const char*, int) {
  return Find(itemId);
}

HRESULT FakeItemTree::ValidateTag(CTag* record, const char* itemId, const char*, int) {
  FakeItem* item = Find(itemId);
  if (item == nullptr) return OPC_E_UNKNOWNITEMID;
  record->m_nativeDataType = item->m_nativeDataType;
  record->m_accessRights = item->m_accessRights;
  return S_OK;
}

HRESULT FakeItemTree::ReadTagFromDevice(CTag*) {
  ++deviceReads;
  return S_OK;
}

HRESULT FakeItemTree::WriteTag(CTag* tag, const Variant& value) {
  std::lock_guard guard(m_lock);
  if (Failed(writeResult)) return writeResult;
  auto* item = static_cast<FakeItem*>(tag);
  Variant converted;
  if (value.vt() == item->m_nativeDataType) {
    converted = value;
  } else {
    HRESULT hr = ChangeType(value, item->m_nativeDataType, converted);
    if (Failed(hr)) return hr;
  }
  writes.emplace_back(item->itemId, converted);
  item->m_value = std::move(converted);
  item->m_quality = OPC_QUALITY_GOOD;
  item->m_timestamp = TimeStampNow();
  return S_OK;
}
