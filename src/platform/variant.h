// Variant: the OLE Automation VARIANT stand-in (VARTYPE tag, scalar payload, BSTR, 1-D arrays).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using VARTYPE = std::uint16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_ARRAY = 0x2000;

// VARIANT_BOOL values.
constexpr std::int16_t VARIANT_TRUE = -1;
constexpr std::int16_t VARIANT_FALSE = 0;

class Variant;

// A one-dimensional SAFEARRAY with a lower bound. Byte arrays keep their elements packed in
// `bytes`; arrays of every other element type keep them as Variants in `elements`.
struct SafeArray {
  VARTYPE elementType = VT_EMPTY;
  std::int32_t lowerBound = 0;
  std::vector<std::uint8_t> bytes;
  std::vector<Variant> elements;

  std::size_t Count() const;
};

class Variant {
 public:
  Variant() = default;
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept = default;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept = default;
  ~Variant() = default;

  static Variant Null();
  static Variant I2(std::int16_t v);
  static Variant I4(std::int32_t v);
  static Variant R4(float v);
  static Variant R8(double v);
  static Variant Date(double v);
  static Variant Bstr(std::u16string v);
  static Variant Bool(bool v);
  static Variant UI1(std::uint8_t v);
  static Variant UI4(std::uint32_t v);
  // VT_ARRAY | VT_UI1 with the given bytes and lower bound.
  static Variant Bytes(std::vector<std::uint8_t> bytes, std::int32_t lowerBound = 0);
  // VT_ARRAY | elementType with the given elements (each should carry elementType).
  static Variant Array(VARTYPE elementType, std::vector<Variant> elements,
                       std::int32_t lowerBound = 0);

  VARTYPE vt() const { return m_vt; }
  bool IsEmpty() const { return m_vt == VT_EMPTY; }
  bool IsArray() const { return (m_vt & VT_ARRAY) != 0; }
  // VariantClear: back to VT_EMPTY, payload freed.
  void Clear();

  std::int16_t iVal() const { return m_scalar.i2; }
  std::int32_t lVal() const { return m_scalar.i4; }
  float fltVal() const { return m_scalar.r4; }
  double dblVal() const { return m_scalar.r8; }
  double date() const { return m_scalar.r8; }
  std::int16_t boolVal() const { return m_scalar.i2; }
  std::uint8_t bVal() const { return m_scalar.ui1; }
  std::uint32_t ulVal() const { return m_scalar.ui4; }
  const std::u16string& bstrVal() const { return m_bstr; }
  // The array of a VT_ARRAY variant; null otherwise.
  const SafeArray* parray() const { return m_array.get(); }
  SafeArray* parray() { return m_array.get(); }

  // Same type and same payload (arrays element by element, lower bound included).
  bool operator==(const Variant& other) const;

 private:
  VARTYPE m_vt = VT_EMPTY;
  union Scalar {
    std::int16_t i2;
    std::int32_t i4;
    float r4;
    double r8;
    std::uint8_t ui1;
    std::uint32_t ui4;
  } m_scalar{.r8 = 0};

  Variant(VARTYPE vt, Scalar scalar) : m_vt(vt), m_scalar(scalar) {}
  std::u16string m_bstr;
  std::unique_ptr<SafeArray> m_array;
};
