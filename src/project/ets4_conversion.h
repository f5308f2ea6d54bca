// ETS4 conversion: turns an ESF export that ETS4 wrote in UTF-8 into the Windows-1252 the import
// reads.
#pragma once

#include <string>
#include <string_view>

class CDORAzivazDoc;

// String table entry of the conversion's closing message.
constexpr unsigned kStrEts4Converted = 205;

// The text in Windows-1252 with every line ended by CR LF. Characters that Windows-1252 lacks
// become "?"; a leading byte order mark is dropped, since it would hide the project line.
std::string ConvertEts4Text(std::string_view utf8);

// The path with the extension of its file name replaced by ".ets4backup" (appended when the
// name has none).
std::string Ets4BackupPath(std::string_view path);

// Converts the file in place. The original is renamed to its backup path first unless a
// backup already stands there (a second conversion must not replace the true original).
// The converted text is written in full before it takes the file's name. False when the file
// cannot be read or the converted text cannot be written; the file is unchanged then.
bool ConvertEts4File(const std::string& path);

// Command 32872: asks for an export, converts it and says so.
void OnConvertEts4(CDORAzivazDoc& doc);
