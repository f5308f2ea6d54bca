// Variant: deep copy, equality, factories and clearing of the VARIANT stand-in.
#include "platform/variant.h"

#include <utility>

std::size_t SafeArray::Count() const {
  return elementType == VT_UI1 ? bytes.size() : elements.size();
}

Variant::Variant(const Variant& other)
    : m_vt(other.m_vt),
      m_scalar(other.m_scalar),
      m_bstr(other.m_bstr),
      m_array(other.m_array ? std::make_unique<SafeArray>(*other.m_array) : nullptr) {}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void Variant::Clear() {
  m_vt = VT_EMPTY;
  m_scalar.r8 = 0;
  m_bstr.clear();
  m_bstr.shrink_to_fit();
  m_array.reset();
}

Variant Variant::Null() {
  return Variant(VT_NULL, Scalar{.r8 = 0});
}

Variant Variant::I2(std::int16_t v) {
  return Variant(VT_I2, Scalar{.i2 = v});
}

Variant Variant::I4(std::int32_t v) {
  return Variant(VT_I4, Scalar{.i4 = v});
}

Variant Variant::R4(float v) {
  return Variant(VT_R4, Scalar{.r4 = v});
}

Variant Variant::R8(double v) {
  return Variant(VT_R8, Scalar{.r8 = v});
}

Variant Variant::Date(double v) {
  return Variant(VT_DATE, Scalar{.r8 = v});
}

Variant Variant::Bstr(std::u16string v) {
  Variant r;
  r.m_vt = VT_BSTR;
  r.m_bstr = std::move(v);
  return r;
}

Variant Variant::Bool(bool v) {
  return Variant(VT_BOOL, Scalar{.i2 = v ? VARIANT_TRUE : VARIANT_FALSE});
}

Variant Variant::UI1(std::uint8_t v) {
  return Variant(VT_UI1, Scalar{.ui1 = v});
}

Variant Variant::UI4(std::uint32_t v) {
  return Variant(VT_UI4, Scalar{.ui4 = v});
}

Variant Variant::Bytes(std::vector<std::uint8_t> bytes, std::int32_t lowerBound) {
  Variant r;
  r.m_vt = VT_ARRAY | VT_UI1;
  r.m_array = std::make_unique<SafeArray>();
  r.m_array->elementType = VT_UI1;
  r.m_array->lowerBound = lowerBound;
  r.m_array->bytes = std::move(bytes);
  return r;
}

Variant Variant::Array(VARTYPE elementType, std::vector<Variant> elements,
                       std::int32_t lowerBound) {
  if (elementType == VT_UI1) {
    // Byte arrays are always kept packed so that every reader finds them in `bytes`.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(elements.size());
    for (const Variant& e : elements) bytes.push_back(e.vt() == VT_UI1 ? e.bVal() : 0);
    return Bytes(std::move(bytes), lowerBound);
  }
  Variant r;
  r.m_vt = VT_ARRAY | elementType;
  r.m_array = std::make_unique<SafeArray>();
  r.m_array->elementType = elementType;
  r.m_array->lowerBound = lowerBound;
  r.m_array->elements = std::move(elements);
  return r;
}

bool Variant::operator==(const Variant& other) const {
  if (m_vt != other.m_vt) return false;
  if (IsArray()) {
    if (!m_array || !other.m_array) return m_array == other.m_array;
    const SafeArray& a = *m_array;
    const SafeArray& b = *other.m_array;
    return a.elementType == b.elementType && a.lowerBound == b.lowerBound && a.bytes == b.bytes &&
           a.elements == b.elements;
  }
  switch (m_vt) {
    case VT_I2:
    case VT_BOOL:
      return m_scalar.i2 == other.m_scalar.i2;
    case VT_I4:
      return m_scalar.i4 == other.m_scalar.i4;
    case VT_R4:
      return m_scalar.r4 == other.m_scalar.r4;
    case VT_R8:
    case VT_DATE:
      return m_scalar.r8 == other.m_scalar.r8;
    case VT_BSTR:
      return m_bstr == other.m_bstr;
    case VT_UI1:
      return m_scalar.ui1 == other.m_scalar.ui1;
    case VT_UI4:
      return m_scalar.ui4 == other.m_scalar.ui4;
    default:  // VT_EMPTY, VT_NULL: no payload
      return true;
  }
}
