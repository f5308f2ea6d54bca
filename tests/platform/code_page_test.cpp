// Tests of the Windows-1252 / UTF-8 / UTF-16 conversions.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

TEST(CodePage, EveryByteSurvivesBothRoundTrips) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
  EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(bytes)), bytes);
  EXPECT_EQ(Utf8ToUtf16(AnsiToUtf8(bytes)), AnsiToUtf16(bytes));
}

TEST(CodePage, MapsTheHighHalfAsWindowsDoes) {
  EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(AnsiToUtf16("\x80\x8A\x9F\xB0\xE4\xFF"), u"\u20AC\u0160\u0178\u00B0\u00E4\u00FF");
  // The five undefined bytes keep their C1 code points.
  EXPECT_EQ(AnsiToUtf16("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Utf8ToAnsi("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x80\x93 \xE2\x80\x9E"
                       "a\xE2\x80\x9C"),
            "Gr\xFC\xDF"
            "e \x96 \x84"
            "a\x93");
  // Embedded NUL characters are text like any other.
  EXPECT_EQ(AnsiToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, CharactersWithoutAByteBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("\xC4\x80|\xE4\xB8\xAD|\xC2\x80|\xF0\x9F\x98\x80|"), "?|?|?|?|");
  EXPECT_EQ(Utf16ToAnsi(u"\u0100|\u4E2D|\u0080|\U0001F600|"), "?|?|?|?|");
}

TEST(CodePage, SurrogatePairsAreOneCharacter) {
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u"x\U0001F600y"), "x\xF0\x9F\x98\x80y");
  EXPECT_EQ(Utf16ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
  // Lone surrogates, at the end or before another character, are replaced one by one.
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
  EXPECT_EQ(Utf16ToAnsi(std::u16string_view(lone, 5)), "a?b??");
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(lone, 5)),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(CodePage, InvalidUtf8IsReplacedWithoutLosingTheNextCharacter) {
  EXPECT_EQ(Utf8ToAnsi("\x80"), "?");        // stray continuation byte
  EXPECT_EQ(Utf8ToAnsi("a\xE2\x82"), "a?");  // truncated at the end
  EXPECT_EQ(Utf8ToAnsi("a\xE2\x82"
                       "b"),
            "a?b");  // truncated before a character
  EXPECT_EQ(Utf8ToAnsi("\xC3"
                       "\xC3\xA4"),
            "?\xE4");                                 // truncated before a lead byte
  EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??");            // overlong
  EXPECT_EQ(Utf8ToAnsi("\xE0\x80\xAF"), "???");       // overlong, three bytes
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "???");       // encoded surrogate
  EXPECT_EQ(Utf8ToAnsi("\xF4\x90\x80\x80"), "????");  // above U+10FFFF
  EXPECT_EQ(Utf8ToAnsi("\xF5\xFE\xFF"), "???");
  EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x98"), u"a\uFFFD");
}

}  // namespace
