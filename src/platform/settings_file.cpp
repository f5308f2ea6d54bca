// SettingsFile: folding of names, key creation and the text form of a settings hive.
#include "platform/settings_file.h"

#include <cstdio>
#include <vector>

#include "platform/code_page.h"

namespace {

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> segments;
  while (!path.empty()) {
    const std::size_t cut = path.find('\\');
    const std::string_view segment = path.substr(0, cut);
    if (!segment.empty()) segments.push_back(segment);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return segments;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Quote(std::string_view ansi) {
  std::string out = "\"";
  for (char c : ansi) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20 || b == 0x7F) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", b);
          out += hex;
        } else {
          out += AnsiToUtf8(std::string_view(&c, 1));
        }
    }
  }
  return out + "\"";
}

// Reads a quoted text at `pos` (on the opening quote) into Windows-1252 bytes and moves past
// the closing quote; false when the quote is not closed or an escape is broken.
bool Unquote(std::string_view line, std::size_t& pos, std::string& ansi) {
  if (pos >= line.size() || line[pos] != '"') return false;
  std::string utf8;
  for (++pos; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      ++pos;
      // Escaped bytes are already Windows-1252; the rest is UTF-8, converted in runs.
      ansi += Utf8ToAnsi(utf8);
      return true;
    }
    if (c != '\\') {
      utf8 += c;
      continue;
    }
    if (++pos >= line.size()) return false;
    char byte = 0;
    switch (line[pos]) {
      case '\\':
      case '"':
        byte = line[pos];
        break;
      case 'n':
        byte = '\n';
        break;
      case 'r':
        byte = '\r';
        break;
      case 't':
        byte = '\t';
        break;
      case 'x': {
        if (pos + 2 >= line.size()) return false;
        const int hi = HexDigit(line[pos + 1]);
        const int lo = HexDigit(line[pos + 2]);
        if (hi < 0 || lo < 0) return false;
        byte = static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default:
        return false;
    }
    ansi += Utf8ToAnsi(utf8);
    utf8.clear();
    ansi += byte;
  }
  return false;
}

std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// One value line: "name"=dword:xxxxxxxx, "name"="text", or @ for the default value.
bool ParseValueLine(std::string_view line, SettingsValue& value) {
  std::size_t pos = 0;
  value = SettingsValue{};
  if (line[0] == '@') {
    pos = 1;
  } else if (!Unquote(line, pos, value.name)) {
    return false;
  }
  if (pos >= line.size() || line[pos++] != '=') return false;
  const std::string_view data = line.substr(pos);
  if (data.starts_with("dword:")) {
    const std::string_view hex = data.substr(6);
    if (hex.empty() || hex.size() > 8) return false;
    std::uint32_t n = 0;
    for (char c : hex) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      n = n * 16 + static_cast<std::uint32_t>(d);
    }
    value.number = static_cast<std::int32_t>(n);
    return true;
  }
  value.isText = true;
  return Unquote(line, pos, value.text) && pos == line.size();
}

}  // namespace

std::string FoldSettingsName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
      c = static_cast<char>(b + 0x20);
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {  // Š Œ Ž
      c = static_cast<char>(b + 0x10);
    } else if (b == 0x9F) {  // Ÿ
      c = static_cast<char>(0xFF);
    }
  }
  return folded;
}

std::string FoldSettingsPath(std::string_view path) {
  std::string folded;
  for (std::string_view segment : SplitPath(path)) {
    if (!folded.empty()) folded += '\\';
    folded += FoldSettingsName(segment);
  }
  return folded;
}

std::string EnsureSettingsKey(SettingsKeys& keys, std::string_view path) {
  std::string folded;
  SettingsKey* parent = &keys[""];
  for (std::string_view segment : SplitPath(path)) {
    if (!folded.empty()) folded += '\\';
    folded += FoldSettingsName(segment);
    SettingsKey& key = keys[folded];
    if (key.path.empty())
      key.path =
          parent->path.empty() ? std::string(segment) : parent->path + '\\' + std::string(segment);
    parent = &key;
  }
  return folded;
}

std::string FormatSettingsText(const SettingsKeys& keys, std::string_view title) {
  std::string out = "; ";
  out.append(title).append("\n");
  for (const auto& [folded, key] : keys) {
    if (folded.empty() && key.values.empty()) continue;
    out.append("\n[").append(AnsiToUtf8(key.path)).append("]\n");
    for (const auto& [foldedName, value] : key.values) {
      out += value.name.empty() ? std::string("@") : Quote(value.name);
      if (value.isText) {
        out.append("=").append(Quote(value.text)).append("\n");
      } else {
        char hex[24];
        std::snprintf(hex, sizeof hex, "=dword:%08x\n", static_cast<std::uint32_t>(value.number));
        out += hex;
      }
    }
  }
  return out;
}

SettingsKeys ParseSettingsText(std::string_view utf8) {
  SettingsKeys keys;
  keys[""];
  std::string current;  // folded path of the key the value lines belong to
  bool inKey = true;    // false after a damaged key line: its values have no key to go to
  while (!utf8.empty()) {
    const std::size_t end = utf8.find('\n');
    const std::string_view line = TrimLine(utf8.substr(0, end));
    utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inKey = line.size() >= 2 && line.back() == ']';
      if (inKey) current = EnsureSettingsKey(keys, Utf8ToAnsi(line.substr(1, line.size() - 2)));
      continue;
    }
    SettingsValue value;
    if (inKey && ParseValueLine(line, value))
      keys[current].values[FoldSettingsName(value.name)] = value;
  }
  return keys;
}
