// ChangeType: VariantChangeType with OLE Automation's conversion rules for the system's types.
#include "platform/change_type.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace {

// The VT_DATE range, 0100-01-01 to 9999-12-31 (whole days; the last day's time is allowed).
constexpr double kMinDate = -657'434.0;
constexpr double kMaxDate = 2'958'465.0;

bool IsScalarType(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BSTR:
    case VT_BOOL:
    case VT_UI1:
    case VT_UI4:
      return true;
    default:
      return false;
  }
}

bool IsArrayType(VARTYPE vt) {
  return (vt & VT_ARRAY) != 0 && IsScalarType(vt & ~VT_ARRAY) && (vt & ~VT_ARRAY) > VT_NULL;
}

bool IsBlank(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

std::u16string Widen(std::string_view s) {
  return std::u16string(s.begin(), s.end());
}

// Reads a decimal number in the C locale: optional blanks, sign, digits with an optional
// decimal point, an optional exponent, optional blanks. Anything else is no number.
HRESULT ParseNumber(std::u16string_view text, double& out) {
  const std::u16string_view s = Trim(text);
  std::string ascii;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
  std::size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++mantissaDigits;
  if (i < s.size() && s[i] == u'.') {
    ascii += static_cast<char>(s[i++]);
    while (i < s.size() && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++mantissaDigits;
  }
  if (mantissaDigits == 0) return DISP_E_TYPEMISMATCH;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    ascii += static_cast<char>(s[i++]);
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
    std::size_t exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++exponentDigits;
    if (exponentDigits == 0) return DISP_E_TYPEMISMATCH;
  }
  if (i != s.size()) return DISP_E_TYPEMISMATCH;

  // strtod_l with the C locale, so that a user locale set at start cannot change the decimal
  // point; the grammar above keeps out hexadecimal, "inf" and "nan".
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  errno = 0;
  const double value = strtod_l(ascii.c_str(), nullptr, cLocale);
  if (errno == ERANGE && std::isinf(value)) return DISP_E_OVERFLOW;
  out = value;
  return S_OK;
}

// Banker's rounding, as OLE rounds reals to integers.
double RoundHalfEven(double v) {
  const double below = std::floor(v);
  const double diff = v - below;
  if (diff < 0.5) return below;
  if (diff > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// The source as a number: integers and reals as they are, VT_BOOL as -1/0, VT_EMPTY as 0,
// text parsed in the C locale.
HRESULT SourceNumber(const Variant& in, double& out) {
  switch (in.vt()) {
    case VT_EMPTY:
      out = 0.0;
      return S_OK;
    case VT_I2:
      out = in.iVal();
      return S_OK;
    case VT_BOOL:
      out = in.boolVal();
      return S_OK;
    case VT_I4:
      out = in.lVal();
      return S_OK;
    case VT_R4:
      out = in.fltVal();
      return S_OK;
    case VT_R8:
    case VT_DATE:
      out = in.dblVal();
      return S_OK;
    case VT_UI1:
      out = in.bVal();
      return S_OK;
    case VT_UI4:
      out = in.ulVal();
      return S_OK;
    case VT_BSTR:
      return ParseNumber(in.bstrVal(), out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// Rounds half to even and checks the target's range.
HRESULT ToInteger(double v, double lo, double hi, std::int64_t& out) {
  if (std::isnan(v)) return DISP_E_OVERFLOW;
  const double r = RoundHalfEven(v);
  if (r < lo || r > hi) return DISP_E_OVERFLOW;
  out = static_cast<std::int64_t>(r);
  return S_OK;
}

// OLE prints reals with "%.7G" (VT_R4) or "%.15G" (VT_R8) in the C locale, never as "-0".
std::u16string FormatReal(double v, int precision) {
  if (v == 0.0) return u"0";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
  std::string s(buf, res.ptr);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return Widen(s);
}

// Reads n (min..max) digits at s[i].
bool ReadDigits(std::u16string_view s, std::size_t& i, std::size_t minDigits, std::size_t maxDigits,
                int& value) {
  std::size_t n = 0;
  value = 0;
  while (i < s.size() && n < maxDigits && IsDigit(s[i])) value = value * 10 + (s[i++] - u'0'), ++n;
  return n >= minDigits && (i == s.size() || !IsDigit(s[i]));
}

bool ReadTime(std::u16string_view s, std::size_t& i, SystemTime& st) {
  if (!ReadDigits(s, i, 1, 2, st.hour) || i >= s.size() || s[i++] != u':') return false;
  if (!ReadDigits(s, i, 2, 2, st.minute)) return false;
  if (i < s.size() && s[i] == u':') {
    ++i;
    if (!ReadDigits(s, i, 2, 2, st.second)) return false;
  }
  return true;
}

// VT_DATE as text: "YYYY-MM-DD hh:mm:ss"; the date alone when the time is midnight, the time
// alone on day 0 (1899-12-30), as OLE leaves out the zero part.
HRESULT FormatDate(double date, std::u16string& out) {
  SystemTime st;
  if (!VariantDateToSystemTime(date, st)) return DISP_E_OVERFLOW;
  const bool noDate = st.year == 1899 && st.month == 12 && st.day == 30;
  const bool noTime = st.hour == 0 && st.minute == 0 && st.second == 0;
  char buf[32];
  if (noDate) {
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", st.hour, st.minute, st.second);
  } else if (noTime) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", st.year, st.month, st.day);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", st.year, st.month, st.day,
                  st.hour, st.minute, st.second);
  }
  out = Widen(buf);
  return S_OK;
}

// Reads "YYYY-MM-DD", "YYYY-MM-DD hh:mm[:ss]" (or with "T" between) and "hh:mm[:ss]".
HRESULT ParseDate(std::u16string_view text, double& date) {
  const std::u16string_view s = Trim(text);
  SystemTime st;
  st.year = 1899;
  st.month = 12;
  st.day = 30;
  std::size_t i = 0;
  const bool hasDate = s.find(u'-') != std::u16string_view::npos;
  if (hasDate) {
    if (!ReadDigits(s, i, 4, 4, st.year) || i >= s.size() || s[i++] != u'-' ||
        !ReadDigits(s, i, 1, 2, st.month) || i >= s.size() || s[i++] != u'-' ||
        !ReadDigits(s, i, 1, 2, st.day))
      return DISP_E_TYPEMISMATCH;
    if (i < s.size()) {
      if (s[i] != u' ' && s[i] != u'T') return DISP_E_TYPEMISMATCH;
      while (i < s.size() && (s[i] == u' ' || s[i] == u'T')) ++i;
      if (!ReadTime(s, i, st)) return DISP_E_TYPEMISMATCH;
    }
  } else if (!ReadTime(s, i, st)) {
    return DISP_E_TYPEMISMATCH;
  }
  if (i != s.size() || !SystemTimeToVariantDate(st, date)) return DISP_E_TYPEMISMATCH;
  return S_OK;
}

// VarBoolFromStr: the VB literals "#TRUE#"/"#FALSE#", the words "True"/"False" in any case,
// else a number (non-zero is true).
HRESULT ParseBool(std::u16string_view text, bool& out) {
  if (text == u"#TRUE#" || text == u"#FALSE#") {
    out = text == u"#TRUE#";
    return S_OK;
  }
  const std::u16string_view s = Trim(text);
  auto equalsNoCase = [](std::u16string_view a, std::u16string_view lower) {
    if (a.size() != lower.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
      const char16_t c = a[k] >= u'A' && a[k] <= u'Z' ? a[k] - u'A' + u'a' : a[k];
      if (c != lower[k]) return false;
    }
    return true;
  };
  if (equalsNoCase(s, u"true") || equalsNoCase(s, u"false")) {
    out = equalsNoCase(s, u"true");
    return S_OK;
  }
  double v = 0;
  if (ParseNumber(s, v) != S_OK) return DISP_E_TYPEMISMATCH;
  out = v != 0.0;
  return S_OK;
}

HRESULT ToBool(const Variant& in, Variant& out) {
  if (in.vt() == VT_BSTR) {
    bool b = false;
    const HRESULT hr = ParseBool(in.bstrVal(), b);
    if (hr == S_OK) out = Variant::Bool(b);
    return hr;
  }
  double v = 0;
  const HRESULT hr = SourceNumber(in, v);
  if (hr == S_OK) out = Variant::Bool(v != 0.0);
  return hr;
}

HRESULT ToBstr(const Variant& in, Variant& out) {
  std::u16string text;
  switch (in.vt()) {
    case VT_EMPTY:
      break;
    case VT_I2:
    case VT_BOOL:  // without VARIANT_ALPHABOOL OLE writes a boolean as "-1"/"0"
      text = Widen(std::to_string(in.iVal()));
      break;
    case VT_I4:
      text = Widen(std::to_string(in.lVal()));
      break;
    case VT_UI1:
      text = Widen(std::to_string(in.bVal()));
      break;
    case VT_UI4:
      text = Widen(std::to_string(in.ulVal()));
      break;
    case VT_R4:
      text = FormatReal(in.fltVal(), 7);
      break;
    case VT_R8:
      text = FormatReal(in.dblVal(), 15);
      break;
    case VT_DATE: {
      const HRESULT hr = FormatDate(in.date(), text);
      if (hr != S_OK) return hr;
      break;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
  out = Variant::Bstr(std::move(text));
  return S_OK;
}

HRESULT ToDate(const Variant& in, Variant& out) {
  double v = 0;
  if (in.vt() == VT_BSTR) {
    const HRESULT hr = ParseDate(in.bstrVal(), v);
    if (hr == S_OK) out = Variant::Date(v);
    return hr;
  }
  const HRESULT hr = SourceNumber(in, v);
  if (hr != S_OK) return hr;
  if (!(v > kMinDate - 1.0 && v < kMaxDate + 1.0)) return DISP_E_OVERFLOW;
  out = Variant::Date(v);
  return S_OK;
}

HRESULT ToNumber(const Variant& in, VARTYPE target, Variant& out) {
  // A boolean is the 16-bit -1 reinterpreted by the unsigned types: 255 and 0xFFFFFFFF.
  if (in.vt() == VT_BOOL && (target == VT_UI1 || target == VT_UI4)) {
    const bool b = in.boolVal() != 0;
    out = target == VT_UI1 ? Variant::UI1(b ? 0xFF : 0) : Variant::UI4(b ? 0xFFFFFFFFu : 0);
    return S_OK;
  }
  double v = 0;
  HRESULT hr = SourceNumber(in, v);
  if (hr != S_OK) return hr;
  std::int64_t n = 0;
  switch (target) {
    case VT_I2:
      hr = ToInteger(v, INT16_MIN, INT16_MAX, n);
      if (hr == S_OK) out = Variant::I2(static_cast<std::int16_t>(n));
      return hr;
    case VT_I4:
      hr = ToInteger(v, INT32_MIN, INT32_MAX, n);
      if (hr == S_OK) out = Variant::I4(static_cast<std::int32_t>(n));
      return hr;
    case VT_UI1:
      hr = ToInteger(v, 0, UINT8_MAX, n);
      if (hr == S_OK) out = Variant::UI1(static_cast<std::uint8_t>(n));
      return hr;
    case VT_UI4:
      hr = ToInteger(v, 0, UINT32_MAX, n);
      if (hr == S_OK) out = Variant::UI4(static_cast<std::uint32_t>(n));
      return hr;
    case VT_R4:
      if (std::fabs(v) > FLT_MAX) return DISP_E_OVERFLOW;
      out = Variant::R4(static_cast<float>(v));
      return S_OK;
    default:  // VT_R8
      out = Variant::R8(v);
      return S_OK;
  }
}

}  // namespace

HRESULT ChangeType(const Variant& in, VARTYPE target, Variant& out) {
  const bool inValid = in.IsArray() ? IsArrayType(in.vt()) : IsScalarType(in.vt());
  const bool targetValid = (target & VT_ARRAY) ? IsArrayType(target) : IsScalarType(target);
  if (!inValid || !targetValid) return DISP_E_BADVARTYPE;

  if (in.vt() == target) {
    out = in;
    return S_OK;
  }
  // Arrays convert only to their own type; scalars never to arrays.
  if (in.IsArray() || (target & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  if (in.vt() == VT_NULL) return DISP_E_TYPEMISMATCH;

  Variant result;
  HRESULT hr = S_OK;
  switch (target) {
    case VT_EMPTY:
      break;
    case VT_NULL:
      result = Variant::Null();
      break;
    case VT_BOOL:
      hr = ToBool(in, result);
      break;
    case VT_BSTR:
      hr = ToBstr(in, result);
      break;
    case VT_DATE:
      hr = ToDate(in, result);
      break;
    default:
      hr = ToNumber(in, target, result);
      break;
  }
  if (hr == S_OK) out = std::move(result);
  return hr;
}
