// UaBinaryWriter: UA Binary encoding into a growing byte buffer.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_types.h"

class UaBinaryWriter {
 public:
  explicit UaBinaryWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

  std::size_t Size() const { return m_out.size(); }
  std::vector<std::uint8_t>& Buffer() { return m_out; }
  // Overwrites four bytes written earlier (message sizes known only at the end).
  void PatchUInt32(std::size_t at, std::uint32_t v);

  void Boolean(bool v) { Byte(v ? 1 : 0); }
  void Byte(std::uint8_t v) { m_out.push_back(v); }
  void UInt16(std::uint16_t v);
  void Int16(std::int16_t v) { UInt16(static_cast<std::uint16_t>(v)); }
  void UInt32(std::uint32_t v);
  void Int32(std::int32_t v) { UInt32(static_cast<std::uint32_t>(v)); }
  void UInt64(std::uint64_t v);
  void Int64(std::int64_t v) { UInt64(static_cast<std::uint64_t>(v)); }
  void Float(float v);
  void Double(double v);
  void DateTime(UaDateTime v) { Int64(v); }
  void String(std::string_view v);
  void NullString() { Int32(-1); }
  void ByteString(std::string_view v) { String(v); }
  void Raw(const void* data, std::size_t size);
  void NodeId(const UaNodeId& id);
  void ExpandedNodeId(const UaNodeId& id) { NodeId(id); }
  void QualifiedName(const UaQualifiedName& q);
  void LocalizedText(const UaLocalizedText& t);
  void ExtensionObject(const UaExtensionObject& e);
  // An ExtensionObject whose binary body is written by `body` (the length is patched after).
  template <typename F>
  void ExtensionObjectWith(std::uint32_t encodingId, F&& body) {
    NodeId(UaNodeId::Numeric(0, encodingId));
    Byte(1);
    std::size_t at = Size();
    UInt32(0);
    body();
    PatchUInt32(at, static_cast<std::uint32_t>(Size() - at - 4));
  }
  void NullExtensionObject() {
    Byte(0);
    Byte(0);
    Byte(0);
  }
  void Variant(const UaVariant& v);
  void DataValue(const UaDataValue& dv);
  // An empty DiagnosticInfo and an empty array of them.
  void EmptyDiagnosticInfo() { Byte(0); }
  void ArrayLength(std::size_t n) { Int32(static_cast<std::int32_t>(n)); }

 private:
  void Scalar(const UaVariant& v);
  std::vector<std::uint8_t>& m_out;
};

// An ExtensionObject of the binary encoding `encodingId` whose body `writeBody` writes.
template <typename F>
UaExtensionObject BinaryExtensionObject(std::uint32_t encodingId, F&& writeBody) {
  std::vector<std::uint8_t> body;
  UaBinaryWriter w(body);
  writeBody(w);
  UaExtensionObject e;
  e.typeId = UaNodeId::Numeric(0, encodingId);
  e.encoding = 1;
  e.body.assign(body.begin(), body.end());
  return e;
}
