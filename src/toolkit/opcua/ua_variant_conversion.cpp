// Conversion between the system's Variants and UA Variants.
#include "toolkit/opcua/ua_variant_conversion.h"

#include <cmath>
#include <limits>

#include "platform/code_page.h"

namespace {
constexpr double kTicksPerDay = 864000000000.0;
constexpr double kDaysFrom1601To1899 = 109205.0;

// Sets `out` to the scalar `v`. Only the fields of the new type are written: the others keep
// their buffers for reuse and mean nothing for that type.
void ScalarToUa(const Variant& v, UaVariant& out) {
  out.isArray = false;
  switch (v.vt()) {
    case VT_I2:
      out.type = UaType::Int16;
      out.i = v.iVal();
      return;
    case VT_I4:
      out.type = UaType::Int32;
      out.i = v.lVal();
      return;
    case VT_R4:
      out.type = UaType::Float;
      out.d = v.fltVal();
      return;
    case VT_R8:
      out.type = UaType::Double;
      out.d = v.dblVal();
      return;
    case VT_DATE:
      out.type = UaType::DateTime;
      out.i = OleDateToUa(v.date());
      return;
    case VT_BSTR:
      out.type = UaType::String;
      out.s = Utf16ToUtf8(v.bstrVal());
      return;
    case VT_BOOL:
      out.type = UaType::Boolean;
      out.b = v.boolVal() != VARIANT_FALSE;
      return;
    case VT_UI1:
      out.type = UaType::Byte;
      out.u = v.bVal();
      return;
    case VT_UI4:
      out.type = UaType::UInt32;
      out.u = v.ulVal();
      return;
    default:
      out.type = UaType::Null;
      return;
  }
}

UaVariant ScalarToUa(const Variant& v) {
  UaVariant u;
  ScalarToUa(v, u);
  return u;
}

std::optional<Variant> ScalarFromUa(const UaVariant& v) {
  switch (v.type) {
    case UaType::Boolean:
      return Variant::Bool(v.b);
    case UaType::SByte:
    case UaType::Int16:
      return Variant::I2(static_cast<std::int16_t>(v.i));
    case UaType::Byte:
      return Variant::UI1(static_cast<std::uint8_t>(v.u));
    case UaType::UInt16:
      return Variant::I4(static_cast<std::int32_t>(v.u));
    case UaType::Int32:
      return Variant::I4(static_cast<std::int32_t>(v.i));
    case UaType::UInt32:
      return Variant::UI4(static_cast<std::uint32_t>(v.u));
    case UaType::Int64:
      // No 64-bit VARTYPE: the value travels as a double, which the conversion range-checks.
      if (v.i >= std::numeric_limits<std::int32_t>::min() &&
          v.i <= std::numeric_limits<std::int32_t>::max()) {
        return Variant::I4(static_cast<std::int32_t>(v.i));
      }
      return Variant::R8(static_cast<double>(v.i));
    case UaType::UInt64:
      if (v.u <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return Variant::I4(static_cast<std::int32_t>(v.u));
      }
      return Variant::R8(static_cast<double>(v.u));
    case UaType::Float:
      return Variant::R4(static_cast<float>(v.d));
    case UaType::Double:
      return Variant::R8(v.d);
    case UaType::String:
      return Variant::Bstr(Utf8ToUtf16(v.s));
    case UaType::DateTime:
      return Variant::Date(UaToOleDate(v.i));
    case UaType::ByteString:
      return Variant::Bytes(std::vector<std::uint8_t>(v.s.begin(), v.s.end()));
    case UaType::LocalizedText:
      return Variant::Bstr(Utf8ToUtf16(v.localizedText.text));
    default:
      return std::nullopt;
  }
}

UaType ElementUaType(VARTYPE element) {
  switch (element) {
    case VT_I2:
      return UaType::Int16;
    case VT_I4:
      return UaType::Int32;
    case VT_R4:
      return UaType::Float;
    case VT_R8:
      return UaType::Double;
    case VT_DATE:
      return UaType::DateTime;
    case VT_BSTR:
      return UaType::String;
    case VT_BOOL:
      return UaType::Boolean;
    case VT_UI1:
      return UaType::Byte;
    case VT_UI4:
      return UaType::UInt32;
    default:
      return UaType::Variant;
  }
}
}  // namespace

UaDateTime OleDateToUa(double date) {
  return static_cast<UaDateTime>(std::llround((date + kDaysFrom1601To1899) * kTicksPerDay));
}

double UaToOleDate(UaDateTime t) {
  return static_cast<double>(t) / kTicksPerDay - kDaysFrom1601To1899;
}

UaVariant ToUaVariant(const Variant& value) {
  if (!value.IsArray()) return ScalarToUa(value);
  const SafeArray* array = value.parray();
  if (array == nullptr) return {};
  if (array->elementType == VT_UI1) {
    return UaVariant::ByteString(std::string(array->bytes.begin(), array->bytes.end()));
  }
  UaType type = ElementUaType(array->elementType);
  std::vector<UaVariant> elements;
  elements.reserve(array->elements.size());
  for (const Variant& e : array->elements) {
    UaVariant u = ScalarToUa(e);
    // A Variant array carries each element with its own type; typed arrays need every
    // element of the declared type.
    if (type != UaType::Variant && u.type != type) {
      u = UaVariant{};
      u.type = type;
    }
    elements.push_back(std::move(u));
  }
  return UaVariant::Array(type, std::move(elements));
}

void ToUaVariant(const Variant& value, UaVariant& out) {
  if (value.IsArray()) {
    out = ToUaVariant(value);
    return;
  }
  ScalarToUa(value, out);
}

std::optional<Variant> FromUaVariant(const UaVariant& value) {
  if (!value.isArray) return ScalarFromUa(value);
  std::size_t count = value.ArraySize();
  if (value.type == UaType::Byte) {
    if (!value.packed.empty()) {
      return Variant::Bytes(std::vector<std::uint8_t>(value.packed.begin(), value.packed.end()));
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    for (const UaVariant& e : value.elements) bytes.push_back(static_cast<std::uint8_t>(e.u));
    return Variant::Bytes(std::move(bytes));
  }
  std::vector<Variant> elements;
  elements.reserve(count);
  VARTYPE elementType = VT_EMPTY;
  for (std::size_t k = 0; k < count; ++k) {
    auto v = ScalarFromUa(value.Element(k));
    if (!v) return std::nullopt;
    if (elementType == VT_EMPTY) elementType = v->vt();
    if (v->vt() != elementType) return std::nullopt;
    elements.push_back(std::move(*v));
  }
  if (elementType == VT_EMPTY) {
    UaVariant typed;
    typed.type = value.type;
    auto probe = ScalarFromUa(typed);
    if (!probe) return std::nullopt;
    elementType = probe->vt();
  }
  return Variant::Array(elementType, std::move(elements));
}

std::uint32_t UaDataTypeOf(VARTYPE vt) {
  if (vt == (VT_ARRAY | VT_UI1)) return static_cast<std::uint32_t>(UaType::ByteString);
  UaType t = ElementUaType(static_cast<VARTYPE>(vt & ~VT_ARRAY));
  if (t == UaType::Variant) return 24;  // BaseDataType
  return static_cast<std::uint32_t>(t);
}

std::int32_t UaValueRankOf(VARTYPE vt) {
  if (vt == (VT_ARRAY | VT_UI1)) return -1;
  if (vt & VT_ARRAY) return 1;
  if (ElementUaType(vt) == UaType::Variant) return -2;  // any
  return -1;
}
