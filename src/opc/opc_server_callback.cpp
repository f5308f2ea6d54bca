// OpcServerCallback: item properties, lookups, reads and writes of the toolkit's clients.
#include "opc/opc_server_callback.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "opc/opc_namespace_browser.h"
#include "opc/written_value.h"
#include "platform/code_page.h"
#include "project/group_item.h"
#include "project/group_lookup.h"
#include "project/opc_document.h"

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr std::uint32_t kPropertyCount = 6;
constexpr std::uint32_t kMinUpdateRate = 10;
constexpr char kErrorText[] = "Zelvox specific Error";
constexpr char kVendorInfo[] = "Quendra s.c.";

struct PropertyRow {
  std::uint32_t id;
  std::string_view description;
  VARTYPE type;  // VT_EMPTY: the item's canonical type
};

constexpr std::array<PropertyRow, kPropertyCount> kProperties = {{
    {1, "Item Canonical DataType", VT_I2},
    {2, "Item Value", VT_EMPTY},
    {3, "Item Quality", VT_I2},
    {4, "Item Timestamp", VT_DATE},
    {5, "Item Access Rights", VT_I4},
    {101, "Item Description", VT_BSTR},
}};

std::string_view IdText(const char* itemId) {
  return itemId ? std::string_view(itemId) : std::string_view();
}

// Every tag the toolkit holds came from this callback, so it is a group item; anything else
// is refused rather than misread.
GroupItem* AsItem(CTag* tag) {
  return dynamic_cast<GroupItem*>(tag);
}

// The value of one property; false for an id without a property.
bool PropertyValue(const GroupItem& item, std::uint32_t id, Variant& value, HRESULT& error) {
  switch (id) {
    case 1:
      value = Variant::I2(static_cast<std::int16_t>(item.m_nativeDataType));
      return true;
    case 2:
      value = item.m_value;
      return true;
    case 3:
      value = Variant::I2(static_cast<std::int16_t>(item.m_quality));
      return true;
    case 4: {
      // Through a DOS date and time: seconds come out even. A time stamp outside the DOS
      // range (1980-2107) has no such form; it is reported as an overflow, not as a wrong date.
      double date = 0;
      if (FileTimeToVariantDate(item.m_timestamp, date)) {
        value = Variant::Date(date);
      } else {
        value.Clear();
        error = DISP_E_OVERFLOW;
      }
      return true;
    }
    case 5:
      value = Variant::I4(static_cast<std::int16_t>(item.m_accessRights));
      return true;
    case 101:
      value = Variant::Bstr(AnsiToUtf16(item.m_name));
      return true;
    default:
      return false;
  }
}

}  // namespace

OpcServerCallback::OpcServerCallback() : m_root(CreateGroupNode("Root", -1, nullptr)) {}

OpcServerCallback::~OpcServerCallback() = default;

void OpcServerCallback::SetDocument(OpcDocument* document) {
  Guard lock(m_tagLock);
  m_document = document;
}

void OpcServerCallback::SetDevicesNode(std::unique_ptr<GroupNode> node) {
  Guard lock(m_tagLock);
  m_devicesNode = std::move(node);
}

HRESULT OpcServerCallback::QueryPropertyCount(const char* itemId, std::uint32_t* count,
                                              CTag** tag) {
  Guard lock(m_tagLock);
  GroupItem* item = FindItemById(*m_root, IdText(itemId));
  if (!item) return OPC_E_UNKNOWNITEMID;
  if (count) *count = kPropertyCount;
  if (tag) *tag = item;
  return S_OK;
}

HRESULT OpcServerCallback::QueryAvailableProperties(const char* /*itemId*/, std::uint32_t count,
                                                    CTag* tag, std::uint32_t* propertyIds,
                                                    std::u16string* descriptions,
                                                    VARTYPE* dataTypes) {
  if (!tag) return OPC_E_UNKNOWNITEMID;
  Guard lock(m_tagLock);
  // Never more rows than the caller's arrays hold.
  const std::uint32_t rows = std::min(count, kPropertyCount);
  for (std::uint32_t i = 0; i < rows; ++i) {
    const PropertyRow& row = kProperties[i];
    if (propertyIds) propertyIds[i] = row.id;
    if (descriptions) descriptions[i] = AllocString(row.description);
    if (dataTypes) dataTypes[i] = row.type == VT_EMPTY ? tag->m_nativeDataType : row.type;
  }
  return S_OK;
}

HRESULT OpcServerCallback::GetItemProperties(const char* itemId, std::uint32_t count,
                                             const std::uint32_t* propertyIds, Variant* values,
                                             HRESULT* errors) {
  // The lookup walks the name space, so it runs under the lock like every other walk.
  Guard lock(m_tagLock);
  const GroupItem* item = FindItemById(*m_root, IdText(itemId));
  if (!item) return OPC_E_UNKNOWNITEMID;
  if (!propertyIds || !values || !errors) return count == 0 ? S_OK : E_INVALIDARG;
  for (std::uint32_t i = 0; i < count; ++i) {
    errors[i] = S_OK;
    PropertyValue(*item, propertyIds[i], values[i], errors[i]);
  }
  return S_OK;
}

COPCBrowser* OpcServerCallback::CreateBrowser() {
  return new OpcNameSpaceBrowser(*this);
}

std::uint32_t OpcServerCallback::ReviseUpdateRate(std::uint32_t rate) {
  return std::max(rate, kMinUpdateRate);
}

CTag* OpcServerCallback::FindTag(const char* itemId, const char* /*accessPath*/, int /*flags*/) {
  Guard lock(m_tagLock);
  return FindItemById(*m_root, IdText(itemId));
}

HRESULT OpcServerCallback::ValidateTag(CTag* record, const char* itemId, const char* /*accessPath*/,
                                       int /*flags*/) {
  Guard lock(m_tagLock);
  const GroupItem* item = FindItemById(*m_root, IdText(itemId));
  if (!item) return OPC_E_UNKNOWNITEMID;
  if (record) {
    record->m_nativeDataType = item->m_nativeDataType;
    record->m_accessRights = item->m_accessRights;
  }
  return S_OK;
}

std::string OpcServerCallback::GetTagItemID(CTag* tag) {
  const GroupItem* item = AsItem(tag);
  if (!item) return {};
  Guard lock(m_tagLock);  // renaming a node rewrites the IDs below it
  return item->m_itemId;
}

HRESULT OpcServerCallback::GetTagLimits(CTag* tag, double* low, double* high) {
  const GroupItem* item = AsItem(tag);
  if (!item) return S_FALSE;
  Guard lock(m_tagLock);
  // Dimming values and scaling in percent are decoded to 0-100, scaling in degrees to 0-360.
  const bool percent =
      (item->m_eis == 2 && item->m_subtype == 3) || (item->m_eis == 6 && item->m_subtype == 1);
  const bool angle = item->m_eis == 6 && item->m_subtype == 2;
  if (!percent && !angle) return S_FALSE;
  *low = 0;
  *high = angle ? 360 : 100;
  return S_OK;
}

HRESULT OpcServerCallback::ReadTagFromDevice(CTag* tag) {
  GroupItem* item = AsItem(tag);
  if (!item) return E_INVALIDARG;
  Guard lock(m_tagLock);
  if (m_document) m_document->QueueRead(*item);
  return S_OK;
}

HRESULT OpcServerCallback::WriteTag(CTag* tag, const Variant& value) {
  GroupItem* item = AsItem(tag);
  if (!item) return E_INVALIDARG;
  Guard lock(m_tagLock);
  // Without a document nothing could be written; say so rather than report success.
  if (!m_document) return E_FAIL;
  Variant converted;
  const HRESULT hr = ConvertWrittenValue(*item, value, converted);
  if (Failed(hr)) return hr;
  return m_document->QueueWrite(*item, converted);
}

const char* OpcServerCallback::GetErrorString(HRESULT /*code*/, std::uint32_t /*locale*/) {
  // One fixed text for every code; a constant needs no guard against concurrent callers.
  return kErrorText;
}

const char* OpcServerCallback::GetVendorInfo() {
  return kVendorInfo;
}
