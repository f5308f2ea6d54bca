// Parsing and formatting of the time, date and access-control texts.
#include "bus/group_value_texts.h"

#include <cstdio>

#include "platform/decimal_value.h"
#include "project/equal_no_case.h"

namespace {

// The number at the start of `text` as atoi reads it (blanks, sign, digits; 0 if none).
// Digit runs too long for an int wrap harmlessly: callers keep only the low bits.
int LowBitsAt(std::string_view text) {
  return DecimalValue(text, {.wrap = true});
}

// The text after the first `c` at or after `from`, or an empty view when there is none.
std::string_view After(std::string_view text, char c, std::size_t from = 0) {
  const auto at = text.find(c, from);
  return at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
}

}  // namespace

std::string FormatTimeText(const std::uint8_t bytes[3], const DayNames& days) {
  char clock[16];
  std::snprintf(clock, sizeof clock, "%.2d:%.2d:%.2d", bytes[0] & 0x1F, bytes[1] & 0x3F,
                bytes[2] & 0x3F);
  return days[bytes[0] >> 5] + " " + clock;
}

std::array<std::uint8_t, 3> ParseTimeText(std::string_view text, const DayNames& days) {
  const auto blank = text.find(' ');
  const std::string_view dayPart =
      blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
  int day = 0;
  for (int d = 1; d <= 7; ++d) {
    if (!dayPart.empty() && EqualNoCase(dayPart, days[static_cast<std::size_t>(d)])) {
      day = d;
      break;
    }
  }
  const std::size_t clockStart = blank == std::string_view::npos ? 0 : blank;
  const std::string_view clock = text.substr(clockStart);
  const int hour = LowBitsAt(clock);
  const std::string_view afterMinuteColon = After(clock, ':');
  const int minute = LowBitsAt(afterMinuteColon);
  const int second = LowBitsAt(After(afterMinuteColon, ':'));
  return {static_cast<std::uint8_t>(day * 32 + (hour & 0x1F)),
          static_cast<std::uint8_t>(minute & 0x3F), static_cast<std::uint8_t>(second & 0x3F)};
}

std::string FormatDateText(const std::uint8_t bytes[3]) {
  const int year = bytes[2] < 90 ? 2000 + bytes[2] : 1900 + bytes[2];
  char text[24];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d", bytes[0] & 0x1F, bytes[1] & 0x0F, year);
  return text;
}

std::array<std::uint8_t, 3> ParseDateText(std::string_view text) {
  const int day = LowBitsAt(text);
  const std::string_view afterFirstDot = After(text, '.');
  const int month = LowBitsAt(afterFirstDot);
  const int year = LowBitsAt(After(afterFirstDot, '.'));
  const int offset = year > 1999 ? year - 2000 : year - 1900;
  return {static_cast<std::uint8_t>(day & 0x1F), static_cast<std::uint8_t>(month & 0x0F),
          static_cast<std::uint8_t>(static_cast<unsigned>(offset) & 0xFF)};
}

std::string FormatAccessText(const std::uint8_t bytes[4]) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2x%.2x%.2x E:%d P:%d D:%d C:%d I:%d", bytes[0], bytes[1],
                bytes[2], (bytes[3] >> 7) & 1, (bytes[3] >> 6) & 1, (bytes[3] >> 5) & 1,
                (bytes[3] >> 4) & 1, bytes[3] & 0x0F);
  return text;
}

std::array<std::uint8_t, 4> ParseAccessText(std::string_view text) {
  const auto blank = text.find(' ');
  std::string code(blank == std::string_view::npos ? std::string_view() : text.substr(0, blank));
  if (code.size() < 6) code.insert(0, 6 - code.size(), '0');
  std::array<std::uint8_t, 4> bytes{};
  for (int i = 0; i < 3; ++i) {
    const int c1 = static_cast<unsigned char>(code[static_cast<std::size_t>(2 * i)]) - '0';
    const int c2 = static_cast<unsigned char>(code[static_cast<std::size_t>(2 * i + 1)]) - '0';
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((c1 * 16 + c2) & 0xFF);
  }
  const auto flag = [&](std::string_view tag, int bit) {
    const auto at = text.find(tag);
    if (at != std::string_view::npos && at + tag.size() < text.size() &&
        text[at + tag.size()] == '1') {
      bytes[3] |= static_cast<std::uint8_t>(1 << bit);
    }
  };
  flag("E:", 7);
  flag("P:", 6);
  flag("D:", 5);
  flag("C:", 4);
  const auto index = text.find("I:");
  if (index != std::string_view::npos) {
    bytes[3] |= static_cast<std::uint8_t>(LowBitsAt(text.substr(index + 2)) & 0x0F);
  }
  return bytes;
}
