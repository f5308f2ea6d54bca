// Encoding and decoding of group values for every EIS type.
#include "bus/bus_value_coding.h"

#include <algorithm>
#include <cstring>

#include "bus/eis5_float.h"
#include "platform/change_type.h"
#include "platform/code_page.h"

namespace {

bool IsOneBit(const EisCoding& t) {
  return t.eis == 1 || t.eis == 7 || (t.eis == 2 && t.subtype == 1) ||
         (t.eis == 8 && t.subtype == 1);
}

bool IsPercent(const EisCoding& t) {
  return (t.eis == 2 && t.subtype == 3) || (t.eis == 6 && t.subtype == 1);
}

bool IsTwoBitControl(const EisCoding& t) {
  return t.eis == 8 && (t.subtype == 2 || t.subtype == 0);
}

// The value as the scalar type `vt`; VT_EMPTY when it cannot be converted.
Variant As(const Variant& value, VARTYPE vt) {
  if (value.vt() == vt) return value;
  Variant converted;
  if (Failed(ChangeType(value, vt, converted))) return {};
  return converted;
}

std::string AnsiText(const Variant& value) {
  const Variant text = As(value, VT_BSTR);
  return text.vt() == VT_BSTR ? Utf16ToAnsi(text.bstrVal()) : std::string();
}

Variant Bytes(std::initializer_list<std::uint8_t> bytes) {
  return Variant::Bytes(std::vector<std::uint8_t>(bytes));
}

std::uint8_t ScaledByte(double v, double full) {
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(v * 255.0 / full + 0.5) & 0xFF);
}

}  // namespace

bool UsesShortForm(const EisCoding& t) {
  return t.eis == 1 || t.eis == 7 || t.eis == 8 ||
         (t.eis == 2 && (t.subtype == 1 || t.subtype == 2));
}

Variant EncodeBusValue(const EisCoding& t, const Variant& value, const DayNames& days) {
  if (t.eis == 0) {
    const std::size_t n = static_cast<std::size_t>((t.sizeBits + 7) / 8);
    std::vector<std::uint8_t> bytes(n, 0);
    if (const SafeArray* a = value.parray(); a && a->elementType == VT_UI1) {
      std::copy_n(a->bytes.begin(), std::min(n, a->bytes.size()), bytes.begin());
    }
    return Variant::Bytes(std::move(bytes));
  }
  if (IsOneBit(t)) {
    const Variant b = As(value, VT_BOOL);
    if (b.IsEmpty()) return {};
    return Variant::UI1(b.boolVal() != 0 ? 1 : 0);
  }
  if (t.eis == 2 && t.subtype == 2) {
    const Variant b = As(value, VT_UI1);
    return b.IsEmpty() ? Variant() : Variant::UI1(b.bVal() & 0x0F);
  }
  if (IsTwoBitControl(t)) {
    const Variant b = As(value, VT_UI1);
    return b.IsEmpty() ? Variant() : Variant::UI1(b.bVal() & 0x03);
  }
  if (IsPercent(t)) {
    const Variant p = As(value, VT_R8);
    if (p.IsEmpty()) return {};
    return Variant::UI1(ScaledByte(std::clamp(p.dblVal(), 0.0, 100.0), 100.0));
  }
  if (t.eis == 6 && t.subtype == 2) {
    const Variant d = As(value, VT_R8);
    if (d.IsEmpty()) return {};
    return Variant::UI1(ScaledByte(std::clamp(d.dblVal(), 0.0, 360.0), 360.0));
  }
  switch (t.eis) {
    case 3: {
      const auto b = ParseTimeText(AnsiText(value), days);
      return Bytes({b[0], b[1], b[2]});
    }
    case 4: {
      const auto b = ParseDateText(AnsiText(value));
      return Bytes({b[0], b[1], b[2]});
    }
    case 5: {
      const Variant r = As(value, VT_R8);
      if (r.IsEmpty()) return {};
      const auto b = EncodeEis5(r.dblVal());
      return Bytes({b[0], b[1]});
    }
    case 9: {
      const Variant r = As(value, VT_R4);
      if (r.IsEmpty()) return {};
      const float f = r.fltVal();
      std::uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      return Bytes({static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                    static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)});
    }
    case 10:
      return As(value, VT_I2);
    case 11:
      return As(value, VT_I4);
    case 12: {
      const auto b = ParseAccessText(AnsiText(value));
      return Bytes({b[0], b[1], b[2], b[3]});
    }
    case 13:
    case 14:
      return As(value, VT_UI1);
    case 15: {
      const std::string text = AnsiText(value);
      std::vector<std::uint8_t> bytes(14, 0);
      std::copy_n(text.begin(), std::min<std::size_t>(14, text.size()), bytes.begin());
      return Variant::Bytes(std::move(bytes));
    }
    default:
      return {};
  }
}

bool DecodeBusValue(const EisCoding& t, const Variant& data, const DayNames& days, Variant& out) {
  out.Clear();
  const SafeArray* a = data.vt() == (VT_ARRAY | VT_UI1) ? data.parray() : nullptr;
  if (!a) return false;
  const std::vector<std::uint8_t>& b = a->bytes;
  const std::size_t n = b.size();
  if (t.eis == 0) {
    if (n > 14) return false;
    out = data;
    return true;
  }
  if (IsOneBit(t)) {
    if (n != 1) return false;
    out = Variant::Bool(b[0] != 0);
  } else if (t.eis == 2 && t.subtype == 2) {
    if (n != 1) return false;
    out = Variant::UI1(b[0] & 0x0F);
  } else if (IsTwoBitControl(t)) {
    if (n != 1) return false;
    out = Variant::UI1(b[0] & 0x03);
  } else if (IsPercent(t)) {
    if (n != 1) return false;
    out = Variant::UI1(static_cast<std::uint8_t>(b[0] * 100.0 / 255.0 + 0.5));
  } else if (t.eis == 6 && t.subtype == 2) {
    if (n != 1) return false;
    out = Variant::I2(static_cast<std::int16_t>(b[0] * 360.0 / 255.0 + 0.5));
  } else {
    switch (t.eis) {
      case 3:
        if (n != 3) return false;
        out = Variant::Bstr(AnsiToUtf16(FormatTimeText(b.data(), days)));
        break;
      case 4:
        if (n != 3) return false;
        out = Variant::Bstr(AnsiToUtf16(FormatDateText(b.data())));
        break;
      case 5:
        if (n != 2) return false;
        out = Variant::R4(static_cast<float>(DecodeEis5(b[0], b[1])));
        break;
      case 9:
      case 11: {
        if (n != 4) return false;
        const std::uint32_t bits = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                                   (std::uint32_t{b[2]} << 8) | b[3];
        if (t.eis == 9) {
          float f;
          std::memcpy(&f, &bits, sizeof f);
          out = Variant::R4(f);
        } else {
          out = Variant::I4(static_cast<std::int32_t>(bits));
        }
        break;
      }
      case 10:
        if (n != 2) return false;
        out = Variant::I2(static_cast<std::int16_t>((b[0] << 8) | b[1]));
        break;
      case 12:
        if (n != 4) return false;
        out = Variant::Bstr(AnsiToUtf16(FormatAccessText(b.data())));
        break;
      case 13:
      case 14:
        if (n != 1) return false;
        out = Variant::UI1(b[0]);
        break;
      case 15: {
        if (n != 14) return false;
        const auto end = std::find(b.begin(), b.end(), std::uint8_t{0});
        out = Variant::Bstr(AnsiToUtf16(std::string(b.begin(), end)));
        break;
      }
      default:
        return false;
    }
  }
  return true;
}
