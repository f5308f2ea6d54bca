// Variant: deep copy, equality, factories and clearing of the VARIANT stand-in.
#include "platform/variant.h"

#include <utility>

std::size_t SafeArray::Count() const {
  return elementType == VT_UI1 ? bytes.size() : elements.size();
}

Variant::Variant(const Variant& other)
    : vt_(other.vt_),
      scalar_(other.scalar_),
      bstr_(other.bstr_),
      array_(other.array_ ? std::make_unique<SafeArray>(*other.array_) : nullptr) {}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void Variant::Clear() {
  vt_ = VT_EMPTY;
  scalar_.r8 = 0;
  bstr_.clear();
  bstr_.shrink_to_fit();
  array_.reset();
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
  r.vt_ = VT_BSTR;
  r.bstr_ = std::move(v);
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
  r.vt_ = VT_ARRAY | VT_UI1;
  r.array_ = std::make_unique<SafeArray>();
  r.array_->elementType = VT_UI1;
  r.array_->lowerBound = lowerBound;
  r.array_->bytes = std::move(bytes);
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
  r.vt_ = VT_ARRAY | elementType;
  r.array_ = std::make_unique<SafeArray>();
  r.array_->elementType = elementType;
  r.array_->lowerBound = lowerBound;
  r.array_->elements = std::move(elements);
  return r;
}

bool Variant::operator==(const Variant& other) const {
  if (vt_ != other.vt_) return false;
  if (IsArray()) {
    if (!array_ || !other.array_) return array_ == other.array_;
    const SafeArray& a = *array_;
    const SafeArray& b = *other.array_;
    return a.elementType == b.elementType && a.lowerBound == b.lowerBound && a.bytes == b.bytes &&
           a.elements == b.elements;
  }
  switch (vt_) {
    case VT_I2:
    case VT_BOOL:
      return scalar_.i2 == other.scalar_.i2;
    case VT_I4:
      return scalar_.i4 == other.scalar_.i4;
    case VT_R4:
      return scalar_.r4 == other.scalar_.r4;
    case VT_R8:
    case VT_DATE:
      return scalar_.r8 == other.scalar_.r8;
    case VT_BSTR:
      return bstr_ == other.bstr_;
    case VT_UI1:
      return scalar_.ui1 == other.scalar_.ui1;
    case VT_UI4:
      return scalar_.ui4 == other.scalar_.ui4;
    default:  // VT_EMPTY, VT_NULL: no payload
      return true;
  }
}
