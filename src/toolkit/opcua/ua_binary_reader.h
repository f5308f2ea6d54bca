// UaBinaryReader: bounded UA Binary decoding that never trusts a length it reads.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/opcua/ua_types.h"

// Thrown inside the server's decoding paths; callers catch it at the message boundary.
struct UaDecodeError {
  UaStatusCode status = ua_status::BadDecodingError;
};

// Lengths a decoder accepts beyond what the message holds; a longer one is refused before
// anything is allocated for it.
struct UaDecodeLimits {
  std::uint32_t maxStringLength = UINT32_MAX;  // bytes of a String or ByteString
  std::uint32_t maxArrayLength = UINT32_MAX;   // elements of any array
  std::uint32_t maxOperations = UINT32_MAX;    // elements of a request's list of operations
};

class UaBinaryReader {
 public:
  UaBinaryReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  std::size_t Remaining() const { return m_size - m_pos; }
  std::size_t Position() const { return m_pos; }
  const std::uint8_t* Current() const { return m_data + m_pos; }
  void Skip(std::size_t n);

  bool Boolean() { return Byte() != 0; }
  // The fixed-size reads are inline: a Read request of a thousand items makes thousands.
  std::uint8_t Byte() {
    Need(1);
    return m_data[m_pos++];
  }
  std::int8_t SByte() { return static_cast<std::int8_t>(Byte()); }
  std::uint16_t UInt16() { return Fixed<std::uint16_t>(); }
  std::int16_t Int16() { return static_cast<std::int16_t>(UInt16()); }
  std::uint32_t UInt32() { return Fixed<std::uint32_t>(); }
  std::int32_t Int32() { return static_cast<std::int32_t>(UInt32()); }
  std::uint64_t UInt64() { return Fixed<std::uint64_t>(); }
  std::int64_t Int64() { return static_cast<std::int64_t>(UInt64()); }
  float Float();
  double Double();
  UaDateTime DateTime() { return Int64(); }
  // String and ByteString; a null one (length -1) reads as empty.
  std::string String();
  std::string ByteString() { return String(); }
  // Reads a String into `out`, reusing its buffer.
  void StringInto(std::string& out);
  // A String as a view into the message (valid while the message is).
  std::string_view StringView();
  UaNodeId NodeId();
  // Reads a NodeId into `out`, reusing its text buffer (no allocation once it is large enough).
  void NodeIdInto(UaNodeId& out);
  // A NodeId with its text as a view into the message (valid while the message is).
  UaNodeIdView NodeIdView();
  UaExpandedNodeId ExpandedNodeId();
  UaQualifiedName QualifiedName();
  UaLocalizedText LocalizedText();
  UaExtensionObject ExtensionObject();
  UaVariant Variant();
  UaDataValue DataValue();
  void SkipDiagnosticInfo();
  std::vector<std::uint32_t> UInt32Array();
  // An array length: -1 (null) reads as 0. Each element takes at least `minElementSize` bytes,
  // so a length the remaining bytes cannot hold is refused before anything is allocated.
  std::uint32_t ArrayLength(std::size_t minElementSize = 1);
  // The length of a request's list of operations: an ArrayLength that, beyond the limits,
  // throws Bad_TooManyOperations.
  std::uint32_t OperationCount(std::size_t minElementSize);
  void SetLimits(const UaDecodeLimits& limits) { m_limits = limits; }

  // One scalar of a built-in type, without the Variant's encoding mask.
  UaVariant ScalarOf(UaType type);

 private:
  void NodeIdBody(std::uint8_t encoding, UaNodeId& id);
  UaNodeIdView NodeIdViewBody(std::uint8_t encoding);
  void Need(std::size_t n) const {
    if (n > m_size - m_pos) throw UaDecodeError{};
  }
  // A little-endian number of the size of U: one load on a little-endian machine.
  template <typename U>
  U Fixed() {
    Need(sizeof(U));
    U v = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&v, m_data + m_pos, sizeof(U));
    } else {
      for (std::size_t k = sizeof(U); k-- > 0;) v = static_cast<U>((v << 8) | m_data[m_pos + k]);
    }
    m_pos += sizeof(U);
    return v;
  }
  struct DepthGuard {
    explicit DepthGuard(UaBinaryReader& r);
    ~DepthGuard() { --reader.m_depth; }
    UaBinaryReader& reader;
  };

  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
  int m_depth = 0;  // nesting of Variants, DataValues and DiagnosticInfos
  UaDecodeLimits m_limits;
};
