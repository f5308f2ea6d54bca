// UaBinaryReader: little-endian UA Binary decoding with bounds and nesting limits.
#include "toolkit/opcua/ua_binary_reader.h"

#include <cstring>

namespace {
constexpr int kMaxDepth = 16;
}  // namespace

UaBinaryReader::DepthGuard::DepthGuard(UaBinaryReader& r) : reader(r) {
  if (++reader.m_depth > kMaxDepth) {
    --reader.m_depth;
    throw UaDecodeError{ua_status::BadEncodingLimitsExceeded};
  }
}

void UaBinaryReader::Skip(std::size_t n) {
  Need(n);
  m_pos += n;
}

float UaBinaryReader::Float() {
  std::uint32_t bits = UInt32();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

double UaBinaryReader::Double() {
  std::uint64_t bits = UInt64();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::string UaBinaryReader::String() {
  std::string s;
  StringInto(s);
  return s;
}

void UaBinaryReader::StringInto(std::string& out) {
  std::string_view view = StringView();
  // Cleared and appended: the view never points into `out`, so the general replace is not
  // needed, and the buffer is kept.
  out.clear();
  out.append(view.data(), view.size());
}

std::string_view UaBinaryReader::StringView() {
  std::int32_t len = Int32();
  if (len < 0) {
    if (len != -1) throw UaDecodeError{};
    return {};
  }
  if (static_cast<std::uint32_t>(len) > m_limits.maxStringLength) {
    throw UaDecodeError{ua_status::BadEncodingLimitsExceeded};
  }
  Need(static_cast<std::size_t>(len));
  std::string_view view(reinterpret_cast<const char*>(m_data + m_pos),
                        static_cast<std::size_t>(len));
  m_pos += static_cast<std::size_t>(len);
  return view;
}

std::vector<std::uint32_t> UaBinaryReader::UInt32Array() {
  std::vector<std::uint32_t> values(ArrayLength(4));
  for (std::uint32_t& v : values) v = UInt32();
  return values;
}

std::uint32_t UaBinaryReader::ArrayLength(std::size_t minElementSize) {
  std::int32_t len = Int32();
  if (len < 0) {
    if (len != -1) throw UaDecodeError{};
    return 0;
  }
  if (minElementSize == 0) minElementSize = 1;
  if (static_cast<std::size_t>(len) > Remaining() / minElementSize) throw UaDecodeError{};
  if (static_cast<std::uint32_t>(len) > m_limits.maxArrayLength) {
    throw UaDecodeError{ua_status::BadEncodingLimitsExceeded};
  }
  return static_cast<std::uint32_t>(len);
}

std::uint32_t UaBinaryReader::OperationCount(std::size_t minElementSize) {
  std::size_t start = m_pos;
  std::int32_t len = Int32();
  if (len > 0 && static_cast<std::uint32_t>(len) > m_limits.maxOperations) {
    throw UaDecodeError{ua_status::BadTooManyOperations};
  }
  m_pos = start;
  return ArrayLength(minElementSize);
}

void UaBinaryReader::NodeIdBody(std::uint8_t encoding, UaNodeId& id) {
  const UaNodeIdView view = NodeIdViewBody(encoding);
  id.ns = view.ns;
  id.kind = view.kind;
  id.numeric = view.numeric;
  // Cleared and appended: the view never points into `id`, and the buffer is kept.
  id.text.clear();
  id.text.append(view.text);
}

UaNodeIdView UaBinaryReader::NodeIdViewBody(std::uint8_t encoding) {
  UaNodeIdView id;
  switch (encoding & 0x3F) {
    case 0:  // two-byte form
      id.numeric = Byte();
      break;
    case 1:  // four-byte form
      id.ns = Byte();
      id.numeric = UInt16();
      break;
    case 2:
      id.ns = UInt16();
      id.numeric = UInt32();
      break;
    case 3:
      id.ns = UInt16();
      id.kind = UaNodeId::Kind::String;
      id.text = StringView();
      break;
    case 4:
      id.ns = UInt16();
      id.kind = UaNodeId::Kind::Guid;
      Need(16);
      id.text = std::string_view(reinterpret_cast<const char*>(m_data + m_pos), 16);
      m_pos += 16;
      break;
    case 5:
      id.ns = UInt16();
      id.kind = UaNodeId::Kind::Opaque;
      id.text = StringView();
      break;
    default:
      throw UaDecodeError{};
  }
  return id;
}

UaNodeId UaBinaryReader::NodeId() {
  UaNodeId id;
  NodeIdInto(id);
  return id;
}

void UaBinaryReader::NodeIdInto(UaNodeId& out) {
  std::uint8_t encoding = Byte();
  // The expanded form's flags are only allowed where an ExpandedNodeId is read.
  if ((encoding & 0xC0) != 0) throw UaDecodeError{};
  NodeIdBody(encoding, out);
}

UaNodeIdView UaBinaryReader::NodeIdView() {
  std::uint8_t encoding = Byte();
  if ((encoding & 0xC0) != 0) throw UaDecodeError{};
  return NodeIdViewBody(encoding);
}

UaExpandedNodeId UaBinaryReader::ExpandedNodeId() {
  std::uint8_t encoding = Byte();
  UaExpandedNodeId e;
  NodeIdBody(encoding, e.id);
  if (encoding & 0x80) e.namespaceUri = String();
  if (encoding & 0x40) e.serverIndex = UInt32();
  return e;
}

UaQualifiedName UaBinaryReader::QualifiedName() {
  UaQualifiedName q;
  q.ns = UInt16();
  q.name = String();
  return q;
}

UaLocalizedText UaBinaryReader::LocalizedText() {
  UaLocalizedText t;
  std::uint8_t mask = Byte();
  if (mask & 0x01) t.locale = String();
  if (mask & 0x02) t.text = String();
  return t;
}

UaExtensionObject UaBinaryReader::ExtensionObject() {
  UaExtensionObject e;
  e.typeId = NodeId();
  e.encoding = Byte();
  if (e.encoding > 2) throw UaDecodeError{};
  if (e.encoding != 0) e.body = ByteString();
  return e;
}

UaVariant UaBinaryReader::ScalarOf(UaType type) {
  UaVariant v;
  v.type = type;
  switch (type) {
    case UaType::Boolean:
      v.b = Boolean();
      break;
    case UaType::SByte:
      v.i = SByte();
      break;
    case UaType::Byte:
      v.u = Byte();
      break;
    case UaType::Int16:
      v.i = Int16();
      break;
    case UaType::UInt16:
      v.u = UInt16();
      break;
    case UaType::Int32:
      v.i = Int32();
      break;
    case UaType::UInt32:
    case UaType::StatusCode:
      v.u = UInt32();
      break;
    case UaType::Int64:
    case UaType::DateTime:
      v.i = Int64();
      break;
    case UaType::UInt64:
      v.u = UInt64();
      break;
    case UaType::Float:
      v.d = Float();
      break;
    case UaType::Double:
      v.d = Double();
      break;
    case UaType::String:
    case UaType::ByteString:
    case UaType::XmlElement:
      v.s = String();
      break;
    case UaType::Guid:
      Need(16);
      v.s.assign(reinterpret_cast<const char*>(m_data + m_pos), 16);
      m_pos += 16;
      break;
    case UaType::NodeId:
      v.nodeId = NodeId();
      break;
    case UaType::ExpandedNodeId:
      v.nodeId = ExpandedNodeId().id;
      break;
    case UaType::QualifiedName:
      v.qualifiedName = QualifiedName();
      break;
    case UaType::LocalizedText:
      v.localizedText = LocalizedText();
      break;
    case UaType::ExtensionObject:
      v.extension = ExtensionObject();
      break;
    case UaType::DataValue: {
      // Kept only as far as needed to stay in step; the value itself is not used.
      UaDataValue inner = DataValue();
      v = std::move(inner.value);
      break;
    }
    case UaType::Variant:
      v = Variant();
      break;
    case UaType::DiagnosticInfo:
      SkipDiagnosticInfo();
      v.type = UaType::Null;
      break;
    default:
      throw UaDecodeError{};
  }
  return v;
}

UaVariant UaBinaryReader::Variant() {
  DepthGuard guard(*this);
  std::uint8_t mask = Byte();
  std::uint8_t typeNumber = mask & 0x3F;
  if (typeNumber > static_cast<std::uint8_t>(UaType::DiagnosticInfo)) throw UaDecodeError{};
  UaType type = static_cast<UaType>(typeNumber);
  if ((mask & 0x80) == 0) {
    if (mask & 0x40) throw UaDecodeError{};  // dimensions without an array
    if (type == UaType::Null) return {};
    if (type == UaType::Variant) throw UaDecodeError{};  // a scalar Variant may not nest
    return ScalarOf(type);
  }
  std::uint32_t count = ArrayLength(1);
  UaVariant v;
  v.type = type;
  v.isArray = true;
  if (std::size_t size = UaVariant::PackedSize(type); size != 0) {
    Need(std::size_t{count} * size);
    v.packed.assign(reinterpret_cast<const char*>(m_data + m_pos), std::size_t{count} * size);
    m_pos += std::size_t{count} * size;
  } else {
    v.elements.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k) v.elements.push_back(ScalarOf(type));
  }
  if (mask & 0x40) {
    // Multi-dimensional arrays are served flat; the dimensions must still agree.
    std::uint32_t dims = ArrayLength(4);
    std::uint64_t product = dims == 0 ? 0 : 1;
    for (std::uint32_t k = 0; k < dims; ++k) {
      std::int32_t n = Int32();
      if (n < 0) throw UaDecodeError{};
      product *= static_cast<std::uint64_t>(n);
      if (product > count) throw UaDecodeError{};
    }
    if (product != count) throw UaDecodeError{};
  }
  return v;
}

UaDataValue UaBinaryReader::DataValue() {
  DepthGuard guard(*this);
  UaDataValue dv;
  std::uint8_t mask = Byte();
  if (mask & 0x01) {
    dv.hasValue = true;
    dv.value = Variant();
  }
  if (mask & 0x02) {
    dv.hasStatus = true;
    dv.status = UInt32();
  }
  if (mask & 0x04) {
    dv.hasSourceTimestamp = true;
    dv.sourceTimestamp = DateTime();
  }
  if (mask & 0x10) UInt16();  // source picoseconds
  if (mask & 0x08) {
    dv.hasServerTimestamp = true;
    dv.serverTimestamp = DateTime();
  }
  if (mask & 0x20) UInt16();  // server picoseconds
  return dv;
}

void UaBinaryReader::SkipDiagnosticInfo() {
  DepthGuard guard(*this);
  std::uint8_t mask = Byte();
  if (mask & 0x01) Int32();   // symbolic id
  if (mask & 0x02) Int32();   // namespace uri
  if (mask & 0x08) Int32();   // locale
  if (mask & 0x04) Int32();   // localized text
  if (mask & 0x10) String();  // additional info
  if (mask & 0x20) UInt32();  // inner status code
  if (mask & 0x40) SkipDiagnosticInfo();
}
