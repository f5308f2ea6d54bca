// Conversions between the system's Windows-1252 text and UTF-8 / UTF-16 at its edges.
#pragma once

#include <string>
#include <string_view>

// Windows-1252 maps bytes 0x80-0x9F to typographic characters (0x80 is the euro sign); the five
// bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 etc., as Windows does,
// so every byte survives a round trip. Characters without a Windows-1252 byte, and invalid
// UTF-8 or lone UTF-16 surrogates, become "?" in Windows-1252 text; invalid input becomes
// U+FFFD in Unicode text.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The code point of one Windows-1252 byte, and the byte of a code point ('?' when it has none).
char32_t AnsiCharToUnicode(unsigned char c);
char UnicodeToAnsiChar(char32_t c);
