// SettingsFile: the keys and values of one settings hive and their text file form.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// A value: a 32-bit integer or a text (Windows-1252 bytes); `name` keeps the case it was
// written with.
struct SettingsValue {
  std::string name;
  bool isText = false;
  std::int32_t number = 0;
  std::string text;
  bool operator==(const SettingsValue&) const = default;
};

// A key with its full path in its original case ("Software\\Varnok\\Zelvox") and its values
// by folded name.
struct SettingsKey {
  std::string path;
  std::map<std::string, SettingsValue> values;
  bool operator==(const SettingsKey&) const = default;
};

// Every key of a hive by folded path. The parents of a key are always present, so the keys
// under a path are the contiguous run of folded paths starting with it and a backslash.
using SettingsKeys = std::map<std::string, SettingsKey>;

// The form in which names are compared: letters folded to lower case (ASCII and the
// Windows-1252 letters), as the registry ignores case.
std::string FoldSettingsName(std::string_view name);

// The UTF-8 text of a hive, in the manner of a registry export:
//   [Software\Varnok\Zelvox\Parameter]
//   "ReadSpeed"=dword:00000064
//   "Startfile"="/home/user/project.zlv"
//   @="the key's default value"
// Texts escape backslash, quote and control characters (\\ \" \n \r \t \xHH). Lines
// starting with ';' are comments.
std::string FormatSettingsText(const SettingsKeys& keys, std::string_view title);

// Reads such a text. Lines that cannot be read are skipped, so a damaged file yields the
// keys and values that are still intact.
SettingsKeys ParseSettingsText(std::string_view utf8);

// The folded path of `path`: segments folded, empty segments dropped ("" is the root key).
std::string FoldSettingsPath(std::string_view path);

// Adds the key at `path` (backslash-separated) and its missing parents; returns its folded
// path. Empty segments are ignored; the empty path is the hive's root key.
std::string EnsureSettingsKey(SettingsKeys& keys, std::string_view path);
