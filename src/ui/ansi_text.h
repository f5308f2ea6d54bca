// AnsiText: the system's Windows-1252 text to and from Qt's QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString FromAnsi(std::string_view ansi);
std::string ToAnsi(const QString& text);
// A language string table entry as a QString; empty when the language has none.
QString LanguageString(unsigned id);
