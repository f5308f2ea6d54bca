// AnsiText: conversions through UTF-16, which keeps every Windows-1252 byte.
#include "ui/ansi_text.h"

#include "platform/code_page.h"
#include "platform/current_language.h"
#include "platform/language_resources.h"

QString FromAnsi(std::string_view ansi) {
  const std::u16string utf16 = AnsiToUtf16(ansi);
  return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

std::string ToAnsi(const QString& text) {
  return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

QString LanguageString(unsigned id) {
  return FromAnsi(Language()->String(id));
}
