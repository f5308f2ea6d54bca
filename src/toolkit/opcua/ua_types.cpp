// UaVariant construction helpers and comparison.
#include "toolkit/opcua/ua_types.h"

#include "toolkit/opcua/ua_binary_reader.h"

bool UaVariant::operator==(const UaVariant& o) const {
  if (type != o.type || isArray != o.isArray) return false;
  if (isArray) {
    if (packed.empty() && o.packed.empty()) return elements == o.elements;
    std::size_t n = ArraySize();
    if (n != o.ArraySize()) return false;
    for (std::size_t k = 0; k < n; ++k) {
      if (!(Element(k) == o.Element(k))) return false;
    }
    return true;
  }
  switch (type) {
    case UaType::Null:
      return true;
    case UaType::Boolean:
      return b == o.b;
    case UaType::Float:
    case UaType::Double:
      return d == o.d;
    case UaType::String:
    case UaType::ByteString:
    case UaType::XmlElement:
    case UaType::Guid:
      return s == o.s;
    case UaType::NodeId:
    case UaType::ExpandedNodeId:
      return nodeId == o.nodeId;
    case UaType::QualifiedName:
      return qualifiedName == o.qualifiedName;
    case UaType::LocalizedText:
      return localizedText == o.localizedText;
    case UaType::ExtensionObject:
      return extension.typeId == o.extension.typeId && extension.body == o.extension.body;
    default:
      return i == o.i && u == o.u;
  }
}

namespace {
UaVariant Typed(UaType t) {
  UaVariant v;
  v.type = t;
  return v;
}
}  // namespace

UaVariant UaVariant::Boolean(bool x) {
  UaVariant v = Typed(UaType::Boolean);
  v.b = x;
  return v;
}
UaVariant UaVariant::Byte(std::uint8_t x) {
  UaVariant v = Typed(UaType::Byte);
  v.u = x;
  return v;
}
UaVariant UaVariant::Int16(std::int16_t x) {
  UaVariant v = Typed(UaType::Int16);
  v.i = x;
  return v;
}
UaVariant UaVariant::UInt16(std::uint16_t x) {
  UaVariant v = Typed(UaType::UInt16);
  v.u = x;
  return v;
}
UaVariant UaVariant::Int32(std::int32_t x) {
  UaVariant v = Typed(UaType::Int32);
  v.i = x;
  return v;
}
UaVariant UaVariant::UInt32(std::uint32_t x) {
  UaVariant v = Typed(UaType::UInt32);
  v.u = x;
  return v;
}
UaVariant UaVariant::Float(float x) {
  UaVariant v = Typed(UaType::Float);
  v.d = x;
  return v;
}
UaVariant UaVariant::Double(double x) {
  UaVariant v = Typed(UaType::Double);
  v.d = x;
  return v;
}
UaVariant UaVariant::String(std::string x) {
  UaVariant v = Typed(UaType::String);
  v.s = std::move(x);
  return v;
}
UaVariant UaVariant::ByteString(std::string x) {
  UaVariant v = Typed(UaType::ByteString);
  v.s = std::move(x);
  return v;
}
UaVariant UaVariant::DateTime(UaDateTime x) {
  UaVariant v = Typed(UaType::DateTime);
  v.i = x;
  return v;
}
UaVariant UaVariant::StatusCode(UaStatusCode x) {
  UaVariant v = Typed(UaType::StatusCode);
  v.u = x;
  return v;
}
UaVariant UaVariant::NodeId(UaNodeId x) {
  UaVariant v = Typed(UaType::NodeId);
  v.nodeId = std::move(x);
  return v;
}
UaVariant UaVariant::QualifiedName(UaQualifiedName x) {
  UaVariant v = Typed(UaType::QualifiedName);
  v.qualifiedName = std::move(x);
  return v;
}
UaVariant UaVariant::LocalizedText(UaLocalizedText x) {
  UaVariant v = Typed(UaType::LocalizedText);
  v.localizedText = std::move(x);
  return v;
}
UaVariant UaVariant::Extension(UaExtensionObject x) {
  UaVariant v = Typed(UaType::ExtensionObject);
  v.extension = std::move(x);
  return v;
}
UaVariant UaVariant::Array(UaType t, std::vector<UaVariant> elements) {
  UaVariant v = Typed(t);
  v.isArray = true;
  v.elements = std::move(elements);
  return v;
}

std::size_t UaVariant::PackedSize(UaType t) {
  switch (t) {
    case UaType::Boolean:
    case UaType::SByte:
    case UaType::Byte:
      return 1;
    case UaType::Int16:
    case UaType::UInt16:
      return 2;
    case UaType::Int32:
    case UaType::UInt32:
    case UaType::Float:
    case UaType::StatusCode:
      return 4;
    case UaType::Int64:
    case UaType::UInt64:
    case UaType::Double:
    case UaType::DateTime:
      return 8;
    case UaType::Guid:
      return 16;
    default:
      return 0;
  }
}

std::size_t UaVariant::ArraySize() const {
  if (!packed.empty()) return packed.size() / PackedSize(type);
  return elements.size();
}

UaVariant UaVariant::Element(std::size_t k) const {
  if (packed.empty()) return elements[k];
  std::size_t size = PackedSize(type);
  UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(packed.data()) + k * size, size);
  return r.ScalarOf(type);
}
