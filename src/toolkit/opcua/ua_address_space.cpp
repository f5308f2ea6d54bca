// UaAddressSpace: resolving node ids, browsing and reading/writing attributes, standard nodes
// from the table and item nodes through the toolkit's callback and browser.
#include "toolkit/opcua/ua_address_space.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_service_header.h"
#include "toolkit/opcua/ua_variant_conversion.h"

namespace {
// The Windows-1252 form of a node id's text; nullopt when it has characters outside that code
// page (such a node id names no item).
bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::optional<std::string> ExactAnsi(const std::string& utf8) {
  // Plain ASCII, the usual case, is the same text in both.
  if (IsAscii(utf8)) return utf8;
  std::string ansi = Utf8ToAnsi(utf8);
  if (AnsiToUtf8(ansi) != utf8) return std::nullopt;
  return ansi;
}

// An item or folder path as the name space forms them: no NUL (the lookups take C strings and
// would stop there) and no empty component (a leading, doubled or trailing ".").
bool IsWellFormedPath(const std::string& path) {
  if (path.empty() || path.front() == '.' || path.back() == '.') return false;
  // One pass over the text, which every item Read checks.
  char previous = 0;
  for (char c : path) {
    if (c == '\0' || (c == '.' && previous == '.')) return false;
    previous = c;
  }
  return true;
}

// A written value the item's type cannot hold: a float item takes finite values within its
// range, a boolean one the values 0 and 1 (or a Boolean).
bool OutOfRangeFor(VARTYPE type, const UaVariant& value) {
  if (value.isArray) return false;
  bool isReal = value.type == UaType::Float || value.type == UaType::Double;
  if (type == VT_R4 && isReal) {
    return !std::isfinite(value.d) || std::fabs(value.d) > std::numeric_limits<float>::max();
  }
  if (type == VT_BOOL) {
    if (isReal) return !(value.d == 0 || value.d == 1);
    switch (value.type) {
      case UaType::SByte:
      case UaType::Int16:
      case UaType::Int32:
      case UaType::Int64:
        return value.i != 0 && value.i != 1;
      case UaType::Byte:
      case UaType::UInt16:
      case UaType::UInt32:
      case UaType::UInt64:
        return value.u > 1;
      default:
        return false;
    }
  }
  return false;
}

// Property node ids: the item ID, this separator and the property id, or "EURange" for the
// range of an item whose served system gives it limits.
constexpr char kPropertySeparator = '#';
constexpr std::uint32_t kEuRangeProperty = 0;  // no item property has id 0
constexpr std::string_view kEuRangeName = "EURange";

std::string PropertySuffix(std::uint32_t propertyId) {
  return propertyId == kEuRangeProperty ? std::string(kEuRangeName) : std::to_string(propertyId);
}

UaNodeId ItemNodeId(const std::string& cp1252) {
  return UaNodeId::String(kItemNamespace, AnsiToUtf8(cp1252));
}

std::string LastComponent(const std::string& path) {
  std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(dot + 1);
}

// The folder holding a folder or item path; "" is the project folder.
std::string ParentPath(const std::string& path) {
  std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(0, dot);
}

UaNodeId FolderNodeId(const std::string& path) {
  return path.empty() ? UaNodeId::Numeric(kItemNamespace, kProjectFolderId) : ItemNodeId(path);
}

UaStatusCode StatusOfQuality(std::uint16_t quality) {
  switch (quality & 0xC0) {
    case 0xC0:
      return ua_status::Good;
    case 0x40:
      return (quality & 0xFC) == OPC_QUALITY_LAST_USABLE ? ua_status::UncertainLastUsableValue
                                                         : ua_status::Uncertain;
    default:
      return ua_status::Bad;
  }
}

UaStatusCode StatusOfWrite(HRESULT hr) {
  if (Succeeded(hr)) return ua_status::Good;
  switch (static_cast<std::uint32_t>(hr)) {
    case static_cast<std::uint32_t>(DISP_E_TYPEMISMATCH):
    case static_cast<std::uint32_t>(DISP_E_BADVARTYPE):
      return ua_status::BadTypeMismatch;
    case static_cast<std::uint32_t>(DISP_E_OVERFLOW):
      return ua_status::BadOutOfRange;
    case static_cast<std::uint32_t>(OPC_E_UNKNOWNITEMID):
      return ua_status::BadNodeIdUnknown;
    case static_cast<std::uint32_t>(E_INVALIDARG):
      return ua_status::BadInvalidArgument;
    // The bus request queue is full: the write may succeed later.
    case static_cast<std::uint32_t>(E_OUTOFMEMORY):
      return ua_status::BadResourceUnavailable;
    default:
      return ua_status::BadInternalError;
  }
}

std::uint8_t AccessLevelOf(std::uint16_t rights) {
  return static_cast<std::uint8_t>(((rights & OPC_READABLE) ? 1 : 0) |
                                   ((rights & OPC_WRITEABLE) ? 2 : 0));
}
}  // namespace

UaAddressSpace::UaAddressSpace(COPCCallback& callback, const UaServerOptions& options)
    : m_callback(callback), m_options(options), m_startTime(UaNow()) {
  BuildStandardNodes();
}

UaAddressSpace::~UaAddressSpace() {
  delete m_browser;
}

bool UaAddressSpace::IsSubtypeOf(std::uint32_t type, std::uint32_t base) {
  while (true) {
    if (type == base) return true;
    switch (type) {
      case ua_id::NonHierarchicalReferences:
      case ua_id::HierarchicalReferences:
        type = ua_id::References;
        break;
      case ua_id::HasChild:
      case ua_id::Organizes:
      case ua_id::HasEventSource:
        type = ua_id::HierarchicalReferences;
        break;
      case ua_id::Aggregates:
      case ua_id::HasSubtype:
        type = ua_id::HasChild;
        break;
      case ua_id::HasProperty:
      case ua_id::HasComponent:
        type = ua_id::Aggregates;
        break;
      case ua_id::HasOrderedComponent:
        type = ua_id::HasComponent;
        break;
      case ua_id::HasNotifier:
        type = ua_id::HasEventSource;
        break;
      case ua_id::HasModellingRule:
      case ua_id::HasEncoding:
      case ua_id::HasDescription:
      case ua_id::HasTypeDefinition:
      case ua_id::GeneratesEvent:
        type = ua_id::NonHierarchicalReferences;
        break;
      default:
        return false;
    }
  }
}

std::string UaAddressSpace::ProjectName() const {
  if (!m_options.projectName) return "Project";
  // The root's name belongs to the name space, which the tag lock guards.
  std::lock_guard guard(m_callback.GetTagLock());
  return AnsiToUtf8(m_options.projectName());
}

COPCBrowser* UaAddressSpace::Browser() {
  if (!m_browserMade) {
    m_browser = m_callback.CreateBrowser();
    m_browserMade = true;
  }
  return m_browser;
}

bool UaAddressSpace::MoveBrowserTo(const std::string& path) {
  COPCBrowser* browser = Browser();
  if (browser == nullptr) return false;
  while (browser->MoveUp() != 0) {
  }
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t dot = path.find('.', start);
    std::string part =
        path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (part.empty() || browser->MoveDown(part.c_str()) == 0) return false;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return true;
}

bool UaAddressSpace::IsFolderPath(const std::string& path) {
  return !path.empty() && MoveBrowserTo(path);
}

void UaAddressSpace::FolderChildren(const std::string& path, std::vector<std::string>& folders,
                                    std::vector<std::string>& items) {
  if (!MoveBrowserTo(path)) return;
  COPCBrowser* browser = Browser();
  std::string prefix = path.empty() ? std::string() : path + ".";
  browser->BrowseItemIDs(OPC_BRANCH, nullptr, VT_EMPTY, 0);
  for (const char* name = browser->NextItemID(); name != nullptr && *name != '\0';
       name = browser->NextItemID()) {
    folders.push_back(prefix + name);
  }
  std::vector<std::string> leaves;
  browser->BrowseItemIDs(OPC_LEAF, nullptr, VT_EMPTY, 0);
  for (const char* name = browser->NextItemID(); name != nullptr && *name != '\0';
       name = browser->NextItemID()) {
    leaves.emplace_back(name);
  }
  // GetItemID reuses the browser's text buffer, so the names are collected first.
  for (const std::string& leaf : leaves) {
    const char* id = browser->GetItemID(leaf.c_str());
    if (id != nullptr && *id != '\0') items.emplace_back(id);
  }
}

UaAddressSpace::Resolved UaAddressSpace::Resolve(const UaNodeId& id) {
  Resolved r;
  if (id.ns == 0 && id.kind == UaNodeId::Kind::Numeric) {
    auto it = m_standard.find(id.numeric);
    if (it != m_standard.end()) {
      r.kind = Kind::Standard;
      r.standard = &it->second;
    }
    return r;
  }
  if (id.ns != kItemNamespace) return r;
  if (id.kind == UaNodeId::Kind::Numeric) {
    if (id.numeric == kProjectFolderId) r.kind = Kind::ProjectFolder;
    return r;
  }
  if (id.kind != UaNodeId::Kind::String) return r;
  auto text = ExactAnsi(id.text);
  if (!text || !IsWellFormedPath(*text)) return r;
  std::recursive_mutex& lock = m_callback.GetTagLock();
  std::lock_guard guard(lock);
  if (m_callback.FindTag(text->c_str(), nullptr, 0) != nullptr) {
    r.kind = Kind::Item;
    r.path = std::move(*text);
    return r;
  }
  std::size_t sep = text->rfind(kPropertySeparator);
  if (sep != std::string::npos && sep > 0) {
    std::uint32_t pid = kEuRangeProperty;
    const char* first = text->data() + sep + 1;
    const char* last = text->data() + text->size();
    bool parsed = std::string_view(first, last - first) == kEuRangeName;
    if (!parsed) {
      auto [end, ec] = std::from_chars(first, last, pid);
      parsed = ec == std::errc() && end == last && first != last && pid != kEuRangeProperty;
    }
    std::string item = text->substr(0, sep);
    if (parsed && m_callback.FindTag(item.c_str(), nullptr, 0) != nullptr) {
      for (const PropertyInfo& p : Properties(item)) {
        if (p.id == pid) {
          r.kind = Kind::Property;
          r.path = std::move(item);
          r.propertyId = pid;
          return r;
        }
      }
    }
  }
  if (IsFolderPath(*text)) {
    r.kind = Kind::Folder;
    r.path = std::move(*text);
  }
  return r;
}

std::vector<UaAddressSpace::PropertyInfo> UaAddressSpace::Properties(const std::string& itemId) {
  std::lock_guard guard(m_callback.GetTagLock());
  std::uint32_t count = 0;
  CTag* tag = nullptr;
  std::vector<PropertyInfo> out;
  if (Failed(m_callback.QueryPropertyCount(itemId.c_str(), &count, &tag)) || count == 0) return out;
  count = std::min<std::uint32_t>(count, 64);
  std::vector<std::uint32_t> ids(count);
  std::vector<std::u16string> descriptions(count);
  std::vector<VARTYPE> types(count);
  if (Failed(m_callback.QueryAvailableProperties(itemId.c_str(), count, tag, ids.data(),
                                                 descriptions.data(), types.data()))) {
    return out;
  }
  for (std::uint32_t k = 0; k < count; ++k) {
    out.push_back({ids[k], Utf16ToUtf8(descriptions[k]), types[k]});
  }
  double low = 0;
  double high = 0;
  if (m_callback.GetTagLimits(tag, &low, &high) == S_OK) {
    out.push_back({kEuRangeProperty, std::string(kEuRangeName), VT_EMPTY});
  }
  return out;
}

UaNodeInfo UaAddressSpace::ItemInfo(const std::string& itemId, const CTag& tag, bool withNames) {
  UaNodeInfo info;
  info.id = ItemNodeId(itemId);
  info.nodeClass = UaNodeClass::Variable;
  std::string leaf = AnsiToUtf8(LastComponent(itemId));
  info.browseName = {kItemNamespace, leaf};
  info.displayName = {{}, leaf};
  info.typeDefinition = ua_id::BaseDataVariableType;
  info.dataType = UaDataTypeOf(tag.m_nativeDataType);
  info.valueRank = UaValueRankOf(tag.m_nativeDataType);
  info.accessLevel = AccessLevelOf(tag.m_accessRights);
  // The fastest sampling the served system grants.
  info.minimumSamplingInterval = static_cast<double>(m_callback.ReviseUpdateRate(0));
  if (!withNames) return info;
  // The item's name, which the callback gives as property 101, is its description; the
  // display name is "address name" so that a client's tree reads like the project.
  std::uint32_t pid = 101;
  Variant name;
  HRESULT error = S_OK;
  if (Succeeded(m_callback.GetItemProperties(itemId.c_str(), 1, &pid, &name, &error)) &&
      Succeeded(error) && name.vt() == VT_BSTR) {
    info.description.text = Utf16ToUtf8(name.bstrVal());
    if (!info.description.text.empty() && info.description.text != leaf) {
      info.displayName.text = leaf + " " + info.description.text;
    }
  }
  return info;
}

std::optional<UaNodeInfo> UaAddressSpace::Describe(const UaNodeId& id, bool withNames) {
  Resolved r = Resolve(id);
  switch (r.kind) {
    case Kind::Unknown:
      return std::nullopt;
    case Kind::Standard:
      return r.standard->info;
    case Kind::ProjectFolder:
    case Kind::Folder: {
      UaNodeInfo info;
      info.id = id;
      std::string name = r.kind == Kind::Folder ? AnsiToUtf8(LastComponent(r.path)) : ProjectName();
      info.browseName = {kItemNamespace, name};
      info.displayName = {{}, name};
      info.typeDefinition = ua_id::FolderType;
      return info;
    }
    case Kind::Item: {
      std::lock_guard guard(m_callback.GetTagLock());
      CTag* tag = m_callback.FindTag(r.path.c_str(), nullptr, 0);
      if (tag == nullptr) return std::nullopt;
      return ItemInfo(r.path, *tag, withNames);
    }
    case Kind::Property:
      for (const PropertyInfo& p : Properties(r.path)) {
        if (p.id != r.propertyId) continue;
        UaNodeInfo info;
        info.id = id;
        info.nodeClass = UaNodeClass::Variable;
        info.browseName = {kItemNamespace, p.description};
        info.displayName = {{}, p.description};
        info.typeDefinition = ua_id::PropertyType;
        info.dataType = UaDataTypeOf(p.type);
        info.valueRank = UaValueRankOf(p.type);
        if (p.id == kEuRangeProperty) {
          info.browseName.ns = 0;  // the standard property
          info.dataType = ua_id::Range;
          info.valueRank = -1;
        }
        info.accessLevel = 1;
        return info;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

bool UaAddressSpace::References(const UaNodeId& id, std::vector<UaReference>& out) {
  Resolved r = Resolve(id);
  switch (r.kind) {
    case Kind::Unknown:
      return false;
    case Kind::Standard:
      out = r.standard->references;
      return true;
    case Kind::ProjectFolder:
    case Kind::Folder: {
      out.push_back({ua_id::HasTypeDefinition, true, UaNodeId::Numeric(0, ua_id::FolderType)});
      if (r.kind == Kind::ProjectFolder) {
        out.push_back({ua_id::Organizes, false, UaNodeId::Numeric(0, ua_id::ObjectsFolder)});
      } else {
        out.push_back({ua_id::Organizes, false, FolderNodeId(ParentPath(r.path))});
      }
      std::vector<std::string> folders, items;
      FolderChildren(r.path, folders, items);
      for (const std::string& f : folders) out.push_back({ua_id::Organizes, true, ItemNodeId(f)});
      for (const std::string& i : items) out.push_back({ua_id::Organizes, true, ItemNodeId(i)});
      return true;
    }
    case Kind::Item:
      out.push_back(
          {ua_id::HasTypeDefinition, true, UaNodeId::Numeric(0, ua_id::BaseDataVariableType)});
      out.push_back({ua_id::Organizes, false, FolderNodeId(ParentPath(r.path))});
      for (const PropertyInfo& p : Properties(r.path)) {
        out.push_back({ua_id::HasProperty, true,
                       ItemNodeId(r.path + kPropertySeparator + PropertySuffix(p.id))});
      }
      return true;
    case Kind::Property:
      out.push_back({ua_id::HasTypeDefinition, true, UaNodeId::Numeric(0, ua_id::PropertyType)});
      out.push_back({ua_id::HasProperty, false, ItemNodeId(r.path)});
      return true;
  }
  return false;
}

UaDataValue UaAddressSpace::TagDataValue(const CTag& tag) {
  UaDataValue dv;
  TagDataValue(tag, dv);
  return dv;
}

void UaAddressSpace::TagDataValue(const CTag& tag, UaDataValue& out) {
  out.hasValue = !tag.m_value.IsEmpty();
  if (out.hasValue) {
    ToUaVariant(tag.m_value, out.value);
  } else {
    out.value.type = UaType::Null;
    out.value.isArray = false;
  }
  out.status = StatusOfQuality(tag.m_quality);
  out.hasStatus = out.status != ua_status::Good;
  out.hasSourceTimestamp = tag.m_timestamp.ticks != 0;
  // Tags hold local time when the system runs with local time stamps; UA sends UTC.
  out.sourceTimestamp = static_cast<UaDateTime>(TimeStampToUtc(tag.m_timestamp).ticks);
  out.hasServerTimestamp = false;
  out.serverTimestamp = 0;
}

UaDataValue UaAddressSpace::ReadCommon(const UaNodeInfo& info, std::uint32_t attribute) {
  switch (attribute) {
    case ua_attr::NodeId:
      return UaDataValue::Of(UaVariant::NodeId(info.id));
    case ua_attr::NodeClass:
      return UaDataValue::Of(UaVariant::Int32(static_cast<std::int32_t>(info.nodeClass)));
    case ua_attr::BrowseName:
      return UaDataValue::Of(UaVariant::QualifiedName(info.browseName));
    case ua_attr::DisplayName:
      return UaDataValue::Of(UaVariant::LocalizedText(info.displayName));
    case ua_attr::Description:
      return UaDataValue::Of(UaVariant::LocalizedText(info.description));
    case ua_attr::WriteMask:
    case ua_attr::UserWriteMask:
      return UaDataValue::Of(UaVariant::UInt32(0));
  }
  switch (info.nodeClass) {
    case UaNodeClass::Object:
      if (attribute == ua_attr::EventNotifier) return UaDataValue::Of(UaVariant::Byte(0));
      return UaDataValue::Status(ua_status::BadAttributeIdInvalid);
    case UaNodeClass::Method:
      if (attribute == ua_attr::Executable || attribute == ua_attr::UserExecutable) {
        return UaDataValue::Of(UaVariant::Boolean(true));
      }
      return UaDataValue::Status(ua_status::BadAttributeIdInvalid);
    case UaNodeClass::ReferenceType:
      if (attribute == ua_attr::Symmetric)
        return UaDataValue::Of(UaVariant::Boolean(info.symmetric));
      if (attribute == ua_attr::InverseName && !info.symmetric) {
        return UaDataValue::Of(UaVariant::LocalizedText({{}, info.inverseName}));
      }
      [[fallthrough]];
    case UaNodeClass::ObjectType:
    case UaNodeClass::DataType:
      if (attribute == ua_attr::IsAbstract) {
        return UaDataValue::Of(UaVariant::Boolean(info.isAbstract));
      }
      return UaDataValue::Status(ua_status::BadAttributeIdInvalid);
    case UaNodeClass::VariableType:
      if (attribute == ua_attr::IsAbstract) {
        return UaDataValue::Of(UaVariant::Boolean(info.isAbstract));
      }
      if (attribute != ua_attr::DataType && attribute != ua_attr::ValueRank &&
          attribute != ua_attr::ArrayDimensions) {
        return UaDataValue::Status(ua_status::BadAttributeIdInvalid);
      }
      break;
    default:
      break;
  }
  switch (attribute) {
    case ua_attr::DataType:
      return UaDataValue::Of(UaVariant::NodeId(UaNodeId::Numeric(0, info.dataType)));
    case ua_attr::ValueRank:
      return UaDataValue::Of(UaVariant::Int32(info.valueRank));
    case ua_attr::ArrayDimensions:
      // Null unless the node holds one-dimensional arrays (of any length).
      if (info.valueRank != 1) return UaDataValue{};
      return UaDataValue::Of(UaVariant::Array(UaType::UInt32, {UaVariant::UInt32(0)}));
    case ua_attr::AccessLevel:
    case ua_attr::UserAccessLevel:
      return UaDataValue::Of(UaVariant::Byte(info.accessLevel));
    case ua_attr::MinimumSamplingInterval:
      return UaDataValue::Of(UaVariant::Double(info.minimumSamplingInterval));
    case ua_attr::Historizing:
      return UaDataValue::Of(UaVariant::Boolean(false));
    default:
      return UaDataValue::Status(ua_status::BadAttributeIdInvalid);
  }
}

UaDataValue UaAddressSpace::ReadItem(const std::string& itemId, std::uint32_t attribute,
                                     double maxAge) {
  std::lock_guard guard(m_callback.GetTagLock());
  CTag* tag = m_callback.FindTag(itemId.c_str(), nullptr, 0);
  if (tag == nullptr) return UaDataValue::Status(ua_status::BadNodeIdUnknown);
  if (attribute != ua_attr::Value) {
    bool withNames = attribute == ua_attr::Description || attribute == ua_attr::DisplayName;
    return ReadCommon(ItemInfo(itemId, *tag, withNames), attribute);
  }
  UaDataValue dv;
  ReadTagValue(*tag, maxAge, dv);
  return dv;
}

void UaAddressSpace::ReadTagValue(CTag& tag, double maxAge, UaDataValue& out) {
  if ((tag.m_accessRights & OPC_READABLE) == 0) {
    out = UaDataValue::Status(ua_status::BadNotReadable);
    return;
  }
  // The cache is current without asking the device: asking at every maxAge-0 Read would load
  // the bus and, where no device answers reads, let the response time-out wipe a live value.
  // A tag that never had a value (empty and plainly uncertain) is asked for once.
  bool neverHadValue = tag.m_value.IsEmpty() && (tag.m_quality & 0xFC) == OPC_QUALITY_UNCERTAIN;
  bool ask = (m_options.deviceReads && maxAge == 0) || (neverHadValue && !tag.m_firstReadAsked);
  // Written only when it changes: a Read leaves the tags it reads clean in the caches.
  if (tag.m_firstReadAsked != neverHadValue) tag.m_firstReadAsked = neverHadValue;
  if (ask) m_callback.ReadTagFromDevice(&tag);
  TagDataValue(tag, out);
}

UaDataValue UaAddressSpace::ReadProperty(const std::string& itemId, std::uint32_t propertyId,
                                         std::uint32_t attribute) {
  if (attribute != ua_attr::Value) {
    auto info = Describe(ItemNodeId(itemId + kPropertySeparator + PropertySuffix(propertyId)));
    if (!info) return UaDataValue::Status(ua_status::BadNodeIdUnknown);
    return ReadCommon(*info, attribute);
  }
  if (propertyId == kEuRangeProperty) return EuRangeValue(itemId);
  Variant value;
  HRESULT error = S_OK;
  HRESULT hr = m_callback.GetItemProperties(itemId.c_str(), 1, &propertyId, &value, &error);
  if (Failed(hr)) return UaDataValue::Status(ua_status::BadNodeIdUnknown);
  if (Failed(error)) return UaDataValue::Status(ua_status::BadNotReadable);
  UaDataValue dv;
  dv.hasValue = !value.IsEmpty();
  dv.value = ToUaVariant(value);
  return dv;
}

UaDataValue UaAddressSpace::EuRangeValue(const std::string& itemId) {
  std::lock_guard guard(m_callback.GetTagLock());
  CTag* tag = m_callback.FindTag(itemId.c_str(), nullptr, 0);
  double low = 0;
  double high = 0;
  if (tag == nullptr || m_callback.GetTagLimits(tag, &low, &high) != S_OK) {
    return UaDataValue::Status(ua_status::BadNodeIdUnknown);
  }
  return UaDataValue::Of(
      UaVariant::Extension(BinaryExtensionObject(ua_id::RangeEncoding, [&](UaBinaryWriter& w) {
        w.Double(low);
        w.Double(high);
      })));
}

bool UaAddressSpace::ReadItemValue(const UaNodeId& id, double maxAge, UaDataValue& out) {
  CTag* tag = ItemTag(UaNodeIdView::Of(id));
  if (tag == nullptr) return false;
  ReadTagValue(*tag, maxAge, out);
  return true;
}

CTag* UaAddressSpace::ItemTag(const UaNodeIdView& id) {
  if (id.ns != kItemNamespace || id.kind != UaNodeId::Kind::String) return nullptr;
  return FindItemTag(id.text);
}

CTag* UaAddressSpace::FindItemTag(std::string_view utf8) {
  const std::uint64_t version = m_callback.NameSpaceVersion();
  if (CTag* tag = m_itemCache.Find(utf8, version)) return tag;
  const std::string owned(utf8);
  if (!IsWellFormedPath(owned)) return nullptr;
  std::optional<std::string> converted;
  const char* text = owned.c_str();
  if (!IsAscii(owned)) {
    converted = ExactAnsi(owned);
    if (!converted) return nullptr;
    text = converted->c_str();
  }
  CTag* tag = m_callback.FindTag(text, nullptr, 0);
  m_itemCache.Insert(utf8, tag, version);
  return tag;
}

UaDataValue UaAddressSpace::Read(const UaNodeId& id, std::uint32_t attribute, double maxAge) {
  // The common case, an item's value, takes one lookup under one lock.
  if (attribute == ua_attr::Value) {
    UaDataValue dv;
    std::lock_guard guard(m_callback.GetTagLock());
    if (ReadItemValue(id, maxAge, dv)) return dv;
  }
  Resolved r = Resolve(id);
  switch (r.kind) {
    case Kind::Unknown:
      return UaDataValue::Status(ua_status::BadNodeIdUnknown);
    case Kind::Standard:
      if (attribute == ua_attr::Value && r.standard->value) {
        return UaDataValue::Of(r.standard->value());
      }
      return ReadCommon(r.standard->info, attribute);
    case Kind::Item:
      return ReadItem(r.path, attribute, maxAge);
    case Kind::Property:
      return ReadProperty(r.path, r.propertyId, attribute);
    case Kind::ProjectFolder:
    case Kind::Folder: {
      auto info = Describe(id);
      if (!info) return UaDataValue::Status(ua_status::BadNodeIdUnknown);
      return ReadCommon(*info, attribute);
    }
  }
  return UaDataValue::Status(ua_status::BadNodeIdUnknown);
}

UaStatusCode UaAddressSpace::WriteItem(const std::string& itemId, const UaVariant& value) {
  CTag record;
  if (Failed(m_callback.ValidateTag(&record, itemId.c_str(), nullptr, 0))) {
    return ua_status::BadNodeIdUnknown;
  }
  if ((record.m_accessRights & OPC_WRITEABLE) == 0) return ua_status::BadNotWritable;
  if (OutOfRangeFor(record.m_nativeDataType, value)) return ua_status::BadOutOfRange;
  std::optional<Variant> converted = FromUaVariant(value);
  if (!converted) return ua_status::BadTypeMismatch;
  std::lock_guard guard(m_callback.GetTagLock());
  CTag* tag = m_callback.FindTag(itemId.c_str(), nullptr, 0);
  if (tag == nullptr) return ua_status::BadNodeIdUnknown;
  return StatusOfWrite(m_callback.WriteTag(tag, *converted));
}

UaStatusCode UaAddressSpace::Write(const UaNodeId& id, std::uint32_t attribute,
                                   const UaVariant& value) {
  Resolved r = Resolve(id);
  if (r.kind == Kind::Unknown) return ua_status::BadNodeIdUnknown;
  if (attribute < ua_attr::NodeId || attribute > ua_attr::Historizing) {
    return ua_status::BadAttributeIdInvalid;
  }
  if (r.kind != Kind::Item || attribute != ua_attr::Value) return ua_status::BadNotWritable;
  return WriteItem(r.path, value);
}

UaStatusCode UaAddressSpace::Check(const UaNodeId& id, std::uint32_t attribute) {
  if (attribute == ua_attr::Value) {
    if (CTag* tag = AcquireTag(id); tag != nullptr) {
      tag->Release();
      return ua_status::Good;
    }
  }
  return Read(id, attribute, 1e9).status;
}

bool UaAddressSpace::StillNames(const UaNodeId& id, const CTag* tag) {
  if (id.ns != kItemNamespace || id.kind != UaNodeId::Kind::String) return false;
  auto text = ExactAnsi(id.text);
  return text && m_callback.FindTag(text->c_str(), nullptr, 0) == tag;
}

CTag* UaAddressSpace::AcquireTag(const UaNodeId& id) {
  if (id.ns != kItemNamespace || id.kind != UaNodeId::Kind::String) return nullptr;
  auto text = ExactAnsi(id.text);
  if (!text || !IsWellFormedPath(*text)) return nullptr;
  std::lock_guard guard(m_callback.GetTagLock());
  CTag* tag = m_callback.FindTag(text->c_str(), nullptr, 0);
  if (tag != nullptr) tag->AddRef();
  return tag;
}
