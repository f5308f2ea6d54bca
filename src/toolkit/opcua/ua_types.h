// The OPC UA built-in types the server encodes and decodes: NodeId, names, texts, Variant,
// DataValue.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_status_codes.h"

// Built-in type numbers of UA Binary; they are also the node ids of the data types.
enum class UaType : std::uint8_t {
  Null = 0,
  Boolean = 1,
  SByte = 2,
  Byte = 3,
  Int16 = 4,
  UInt16 = 5,
  Int32 = 6,
  UInt32 = 7,
  Int64 = 8,
  UInt64 = 9,
  Float = 10,
  Double = 11,
  String = 12,
  DateTime = 13,
  Guid = 14,
  ByteString = 15,
  XmlElement = 16,
  NodeId = 17,
  ExpandedNodeId = 18,
  StatusCode = 19,
  QualifiedName = 20,
  LocalizedText = 21,
  ExtensionObject = 22,
  DataValue = 23,
  Variant = 24,
  DiagnosticInfo = 25,
};

// UA DateTime: 100 ns ticks since 1601-01-01 UTC, the same scale as FILETIME.
using UaDateTime = std::int64_t;

struct UaNodeId {
  enum class Kind : std::uint8_t { Numeric, String, Guid, Opaque };
  std::uint16_t ns = 0;
  Kind kind = Kind::Numeric;
  std::uint32_t numeric = 0;
  std::string text;  // String (UTF-8), Guid (16 bytes) or Opaque bytes

  static UaNodeId Numeric(std::uint16_t ns, std::uint32_t id) {
    return {ns, Kind::Numeric, id, {}};
  }
  static UaNodeId String(std::uint16_t ns, std::string id) {
    return {ns, Kind::String, 0, std::move(id)};
  }
  bool IsNull() const { return ns == 0 && kind == Kind::Numeric && numeric == 0; }
  bool IsNumeric(std::uint16_t n, std::uint32_t id) const {
    return kind == Kind::Numeric && ns == n && numeric == id;
  }
  bool operator==(const UaNodeId&) const = default;
};

// A NodeId whose text is a view into the message it was decoded from: no copy is made, and it
// is valid as long as the message is. Owned() makes the UaNodeId.
struct UaNodeIdView {
  std::uint16_t ns = 0;
  UaNodeId::Kind kind = UaNodeId::Kind::Numeric;
  std::uint32_t numeric = 0;
  std::string_view text;

  static UaNodeIdView Of(const UaNodeId& id) { return {id.ns, id.kind, id.numeric, id.text}; }
  UaNodeId Owned() const { return {ns, kind, numeric, std::string(text)}; }
};

struct UaExpandedNodeId {
  UaNodeId id;
  std::string namespaceUri;
  std::uint32_t serverIndex = 0;
};

struct UaQualifiedName {
  std::uint16_t ns = 0;
  std::string name;
  bool operator==(const UaQualifiedName&) const = default;
};

struct UaLocalizedText {
  std::string locale;
  std::string text;
  bool operator==(const UaLocalizedText&) const = default;
};

// An ExtensionObject kept as its encoded body; encoding 0 none, 1 binary, 2 XML.
struct UaExtensionObject {
  UaNodeId typeId;
  std::uint8_t encoding = 0;
  std::string body;
};

// A UA Variant: a scalar of one built-in type, or a one-dimensional array of them. Array
// elements are scalar UaVariants of the same type (for arrays of Variant, of any type) or, for
// decoded arrays of a fixed-size type, kept packed as their encoded bytes, so that a received
// array takes no more memory than its message did.
struct UaVariant {
  UaType type = UaType::Null;
  bool isArray = false;
  bool b = false;
  std::int64_t i = 0;   // SByte..Int64, DateTime
  std::uint64_t u = 0;  // Byte..UInt64 unsigned kinds, StatusCode
  double d = 0;         // Float, Double
  std::string s;        // String, ByteString, XmlElement, Guid bytes
  UaNodeId nodeId;      // NodeId, ExpandedNodeId
  UaQualifiedName qualifiedName;
  UaLocalizedText localizedText;
  UaExtensionObject extension;
  std::vector<UaVariant> elements;
  std::string packed;  // fixed-size elements as encoded, when `elements` is empty

  bool IsNull() const { return type == UaType::Null; }
  std::size_t ArraySize() const;
  // Element k of an array, packed or not.
  UaVariant Element(std::size_t k) const;
  // The encoded size of one element of `type`, 0 for types of variable size.
  static std::size_t PackedSize(UaType type);
  bool operator==(const UaVariant& other) const;

  static UaVariant Boolean(bool v);
  static UaVariant Byte(std::uint8_t v);
  static UaVariant Int16(std::int16_t v);
  static UaVariant UInt16(std::uint16_t v);
  static UaVariant Int32(std::int32_t v);
  static UaVariant UInt32(std::uint32_t v);
  static UaVariant Float(float v);
  static UaVariant Double(double v);
  static UaVariant String(std::string v);
  static UaVariant ByteString(std::string v);
  static UaVariant DateTime(UaDateTime v);
  static UaVariant StatusCode(UaStatusCode v);
  static UaVariant NodeId(UaNodeId v);
  static UaVariant QualifiedName(UaQualifiedName v);
  static UaVariant LocalizedText(UaLocalizedText v);
  static UaVariant Extension(UaExtensionObject v);
  // An array of `type` holding `elements` (each a scalar of that type).
  static UaVariant Array(UaType type, std::vector<UaVariant> elements);
};

struct UaDataValue {
  bool hasValue = false;
  UaVariant value;
  bool hasStatus = false;
  UaStatusCode status = ua_status::Good;
  bool hasSourceTimestamp = false;
  UaDateTime sourceTimestamp = 0;
  bool hasServerTimestamp = false;
  UaDateTime serverTimestamp = 0;

  static UaDataValue Of(UaVariant v) {
    UaDataValue dv;
    dv.hasValue = true;
    dv.value = std::move(v);
    return dv;
  }
  static UaDataValue Status(UaStatusCode code) {
    UaDataValue dv;
    dv.hasStatus = code != ua_status::Good;
    dv.status = code;
    return dv;
  }
};
