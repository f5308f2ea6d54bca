// FormatText: printf-style formatting of message texts with inserts, safe against any mismatch.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// One insert of a message: a text, an integer or a floating-point number. An integer remembers
// whether it is a 32-bit quantity, so that "%lx" or "%08lX" of an HRESULT gives its eight hex
// digits (as on Windows, where long has 32 bits) and not a sign-extended 64-bit value.
class FormatArg {
 public:
  enum class Kind { Text, Integer, Real };

  FormatArg(std::string_view text) : m_kind(Kind::Text), m_text(text) {}
  FormatArg(const char* text) : m_kind(Kind::Text), m_text(text ? text : "") {}
  FormatArg(const std::string& text) : m_kind(Kind::Text), m_text(text) {}
  template <std::integral T>
  FormatArg(T value)
      : m_kind(Kind::Integer),
        m_bits(std::is_signed_v<T> ? static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                                   : static_cast<std::uint64_t>(value)),
        m_narrow(sizeof(T) <= 4),
        m_signed(std::is_signed_v<T>) {}
  FormatArg(double value) : m_kind(Kind::Real), m_real(value) {}

  Kind kind() const { return m_kind; }
  const std::string& text() const { return m_text; }
  std::uint64_t bits() const { return m_bits; }
  bool narrow() const { return m_narrow; }
  bool isSigned() const { return m_signed; }
  double real() const { return m_real; }

 private:
  Kind m_kind;
  std::string m_text;
  std::uint64_t m_bits = 0;
  bool m_narrow = false;
  bool m_signed = false;
  double m_real = 0;
};

// Formats `format` with the conversions %d %i %u %o %x %X %c %s %f %F %e %E %g %G and %%,
// with flags, width, precision and length modifiers (h, l, ll, L, j, z, t). Each conversion
// takes the next insert; the insert's own kind decides how it is read, so a mismatch never
// misbehaves: a number for %s is written in decimal, a text for a number conversion is read
// as a number when it is one (decimal, or hexadecimal with 0x) and written as it is otherwise,
// a conversion without an insert writes nothing, unknown conversions (also %n and %*d) are
// copied as they stand, and surplus inserts are ignored.
std::string FormatText(std::string_view format, std::span<const FormatArg> args);
