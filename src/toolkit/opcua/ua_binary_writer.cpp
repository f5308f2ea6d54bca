// UaBinaryWriter: little-endian UA Binary encoding.
#include "toolkit/opcua/ua_binary_writer.h"

#include <bit>
#include <cstring>

void UaBinaryWriter::PatchUInt32(std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) m_out[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

void UaBinaryWriter::UInt16(std::uint16_t v) {
  m_out.push_back(static_cast<std::uint8_t>(v));
  m_out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void UaBinaryWriter::UInt32(std::uint32_t v) {
  std::uint8_t b[4];
  for (int k = 0; k < 4; ++k) b[k] = static_cast<std::uint8_t>(v >> (8 * k));
  m_out.insert(m_out.end(), b, b + 4);
}

void UaBinaryWriter::UInt64(std::uint64_t v) {
  std::uint8_t b[8];
  for (int k = 0; k < 8; ++k) b[k] = static_cast<std::uint8_t>(v >> (8 * k));
  m_out.insert(m_out.end(), b, b + 8);
}

void UaBinaryWriter::Float(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  UInt32(bits);
}

void UaBinaryWriter::Double(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  UInt64(bits);
}

void UaBinaryWriter::String(std::string_view v) {
  Int32(static_cast<std::int32_t>(v.size()));
  Raw(v.data(), v.size());
}

void UaBinaryWriter::Raw(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  m_out.insert(m_out.end(), p, p + size);
}

void UaBinaryWriter::NodeId(const UaNodeId& id) {
  switch (id.kind) {
    case UaNodeId::Kind::Numeric:
      if (id.ns == 0 && id.numeric <= 0xFF) {
        Byte(0);
        Byte(static_cast<std::uint8_t>(id.numeric));
      } else if (id.ns <= 0xFF && id.numeric <= 0xFFFF) {
        Byte(1);
        Byte(static_cast<std::uint8_t>(id.ns));
        UInt16(static_cast<std::uint16_t>(id.numeric));
      } else {
        Byte(2);
        UInt16(id.ns);
        UInt32(id.numeric);
      }
      break;
    case UaNodeId::Kind::String:
      Byte(3);
      UInt16(id.ns);
      String(id.text);
      break;
    case UaNodeId::Kind::Guid:
      Byte(4);
      UInt16(id.ns);
      Raw(id.text.data(), 16);
      break;
    case UaNodeId::Kind::Opaque:
      Byte(5);
      UInt16(id.ns);
      ByteString(id.text);
      break;
  }
}

void UaBinaryWriter::QualifiedName(const UaQualifiedName& q) {
  UInt16(q.ns);
  String(q.name);
}

void UaBinaryWriter::LocalizedText(const UaLocalizedText& t) {
  std::uint8_t mask = (t.locale.empty() ? 0 : 1) | (t.text.empty() ? 0 : 2);
  Byte(mask);
  if (mask & 1) String(t.locale);
  if (mask & 2) String(t.text);
}

void UaBinaryWriter::ExtensionObject(const UaExtensionObject& e) {
  NodeId(e.typeId);
  Byte(e.encoding);
  if (e.encoding != 0) ByteString(e.body);
}

void UaBinaryWriter::Scalar(const UaVariant& v) {
  switch (v.type) {
    case UaType::Null:
      break;
    case UaType::Boolean:
      Boolean(v.b);
      break;
    case UaType::SByte:
      Byte(static_cast<std::uint8_t>(v.i));
      break;
    case UaType::Byte:
      Byte(static_cast<std::uint8_t>(v.u));
      break;
    case UaType::Int16:
      Int16(static_cast<std::int16_t>(v.i));
      break;
    case UaType::UInt16:
      UInt16(static_cast<std::uint16_t>(v.u));
      break;
    case UaType::Int32:
      Int32(static_cast<std::int32_t>(v.i));
      break;
    case UaType::UInt32:
    case UaType::StatusCode:
      UInt32(static_cast<std::uint32_t>(v.u));
      break;
    case UaType::Int64:
    case UaType::DateTime:
      Int64(v.i);
      break;
    case UaType::UInt64:
      UInt64(v.u);
      break;
    case UaType::Float:
      Float(static_cast<float>(v.d));
      break;
    case UaType::Double:
      Double(v.d);
      break;
    case UaType::String:
    case UaType::ByteString:
    case UaType::XmlElement:
      String(v.s);
      break;
    case UaType::Guid: {
      std::string g = v.s;
      g.resize(16);
      Raw(g.data(), 16);
      break;
    }
    case UaType::NodeId:
    case UaType::ExpandedNodeId:
      NodeId(v.nodeId);
      break;
    case UaType::QualifiedName:
      QualifiedName(v.qualifiedName);
      break;
    case UaType::LocalizedText:
      LocalizedText(v.localizedText);
      break;
    case UaType::ExtensionObject:
      ExtensionObject(v.extension);
      break;
    case UaType::Variant:
    case UaType::DataValue:
    case UaType::DiagnosticInfo:
      // Never produced by the server; an empty one keeps the stream well-formed.
      Byte(0);
      break;
  }
}

void UaBinaryWriter::Variant(const UaVariant& v) {
  if (!v.isArray) {
    if (v.type == UaType::Null) {
      Byte(0);
      return;
    }
    Byte(static_cast<std::uint8_t>(v.type));
    Scalar(v);
    return;
  }
  Byte(static_cast<std::uint8_t>(static_cast<std::uint8_t>(v.type) | 0x80));
  ArrayLength(v.ArraySize());
  if (!v.packed.empty()) {
    Raw(v.packed.data(), v.packed.size());
    return;
  }
  for (const UaVariant& e : v.elements) {
    if (v.type == UaType::Variant) {
      Variant(e);
    } else {
      Scalar(e);
    }
  }
}

namespace {

// The `n` low bytes of `v` at `p`, little-endian; returns the end. `p` has room for eight.
std::uint8_t* Store(std::uint8_t* p, std::uint64_t v, std::size_t n) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 8);
  } else {
    for (std::size_t k = 0; k < n; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
  return p + n;
}

// The encoded size and bits of a scalar of a fixed size; size 0 for every other value.
std::size_t FixedScalar(const UaVariant& v, std::uint64_t& bits) {
  if (v.isArray) return 0;
  switch (v.type) {
    case UaType::Boolean:
      bits = v.b ? 1 : 0;
      return 1;
    case UaType::SByte:
    case UaType::Int16:
    case UaType::Int32:
    case UaType::Int64:
    case UaType::DateTime:
      bits = static_cast<std::uint64_t>(v.i);
      return UaVariant::PackedSize(v.type);
    case UaType::Byte:
    case UaType::UInt16:
    case UaType::UInt32:
    case UaType::UInt64:
    case UaType::StatusCode:
      bits = v.u;
      return UaVariant::PackedSize(v.type);
    case UaType::Float: {
      const float f = static_cast<float>(v.d);
      std::uint32_t b;
      std::memcpy(&b, &f, sizeof b);
      bits = b;
      return 4;
    }
    case UaType::Double:
      std::memcpy(&bits, &v.d, sizeof bits);
      return 8;
    default:
      return 0;
  }
}

}  // namespace

void UaBinaryWriter::DataValue(const UaDataValue& dv) {
  // An item's value is a scalar of a fixed size (or none): encoded into one piece and appended
  // at once, as a Read response holds a thousand of them.
  std::uint64_t bits = 0;
  const std::size_t valueSize = dv.hasValue ? FixedScalar(dv.value, bits) : 0;
  if (valueSize != 0 || !dv.hasValue) {
    std::uint8_t piece[1 + 1 + 8 + 4 + 8 + 8];  // room for Store's eight bytes at each step
    std::uint8_t* p = piece + 1;
    piece[0] = static_cast<std::uint8_t>((dv.hasValue ? 0x01 : 0) | (dv.hasStatus ? 0x02 : 0) |
                                         (dv.hasSourceTimestamp ? 0x04 : 0) |
                                         (dv.hasServerTimestamp ? 0x08 : 0));
    if (dv.hasValue) {
      *p++ = static_cast<std::uint8_t>(dv.value.type);
      p = Store(p, bits, valueSize);
    }
    if (dv.hasStatus) p = Store(p, dv.status, 4);
    if (dv.hasSourceTimestamp) p = Store(p, static_cast<std::uint64_t>(dv.sourceTimestamp), 8);
    if (dv.hasServerTimestamp) p = Store(p, static_cast<std::uint64_t>(dv.serverTimestamp), 8);
    m_out.insert(m_out.end(), piece, p);
    return;
  }
  std::uint8_t mask = 0;
  if (dv.hasValue) mask |= 0x01;
  if (dv.hasStatus) mask |= 0x02;
  if (dv.hasSourceTimestamp) mask |= 0x04;
  if (dv.hasServerTimestamp) mask |= 0x08;
  Byte(mask);
  if (dv.hasValue) Variant(dv.value);
  if (dv.hasStatus) UInt32(dv.status);
  if (dv.hasSourceTimestamp) DateTime(dv.sourceTimestamp);
  if (dv.hasServerTimestamp) DateTime(dv.serverTimestamp);
}
