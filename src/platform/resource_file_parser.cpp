// Reading language resource files: statements line by line, texts converted to Windows-1252.
#include "platform/resource_file_parser.h"

#include <array>
#include <utility>

#include "platform/code_page.h"

namespace {

// Pop-ups nest only a few levels; the limit keeps a malformed file from exhausting the stack.
constexpr int kMaxMenuDepth = 8;

constexpr std::array<std::pair<std::string_view, DialogControl::Kind>, 9> kControlKinds = {{
    {"label", DialogControl::Kind::Label},
    {"edit", DialogControl::Kind::Edit},
    {"button", DialogControl::Kind::Button},
    {"check", DialogControl::Kind::Check},
    {"radio", DialogControl::Kind::Radio},
    {"combo", DialogControl::Kind::Combo},
    {"list", DialogControl::Kind::List},
    {"tree", DialogControl::Kind::Tree},
    {"group", DialogControl::Kind::Group},
}};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

ResourceFileParser::ResourceFileParser(std::string_view utf8, std::string_view source)
    : m_text(utf8), m_source(source) {
  if (m_text.starts_with("\xEF\xBB\xBF")) m_text.remove_prefix(3);  // byte order mark
}

bool ResourceFileParser::Parse(LanguageResources* out, std::string* error) {
  bool ok = true;
  while (ok && NextStatement()) {
    if (Keyword("string")) {
      ok = ParseString(out);
    } else if (Keyword("menu")) {
      ok = ParseMenu(out);
    } else if (Keyword("dialog")) {
      ok = ParseDialog(out);
    } else if (Keyword("toolbar")) {
      ok = ParseToolbar(out);
    } else {
      ok = Fail("expected string, menu, dialog or toolbar");
    }
  }
  ok = ok && m_error.empty();
  if (!ok && error) *error = m_error;
  return ok;
}

// Moves to the next line that holds tokens; false at the end of the text or on a bad line.
bool ResourceFileParser::NextStatement() {
  while (m_pos < m_text.size()) {
    std::size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    std::string_view line = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    ++m_lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '#') continue;
    return Tokenize(line.substr(first));
  }
  m_tokens.clear();
  return false;
}

bool ResourceFileParser::Tokenize(std::string_view line) {
  m_tokens.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    if (line[i] != '"') {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      token.text = line.substr(start, i - start);
      m_tokens.push_back(std::move(token));
      continue;
    }
    token.quoted = true;
    std::string utf8;
    for (++i;; ++i) {
      if (i >= line.size()) return Fail("text without closing quote");
      const char c = line[i];
      if (c == '"') break;
      if (c != '\\') {
        utf8 += c;
        continue;
      }
      if (++i >= line.size()) return Fail("text without closing quote");
      switch (line[i]) {
        case '"':
          utf8 += '"';
          break;
        case '\\':
          utf8 += '\\';
          break;
        case 'n':
          utf8 += '\n';
          break;
        case 'r':
          utf8 += '\r';
          break;
        case 't':
          utf8 += '\t';
          break;
        default:
          return Fail(std::string("unknown escape \\") + line[i]);
      }
    }
    ++i;
    if (i < line.size() && !IsBlank(line[i])) return Fail("blank expected after closing quote");
    token.text = Utf8ToAnsi(utf8);
    m_tokens.push_back(std::move(token));
  }
  return true;
}

bool ResourceFileParser::Fail(const std::string& what) {
  if (m_error.empty()) m_error = m_source + ":" + std::to_string(m_lineNumber) + ": " + what;
  m_pos = m_text.size();  // stop reading
  return false;
}

bool ResourceFileParser::Keyword(std::string_view word) const {
  return !m_tokens.empty() && !m_tokens[0].quoted && m_tokens[0].text == word;
}

bool ResourceFileParser::Expect(std::size_t count, std::string_view form) {
  if (m_tokens.size() == count) return true;
  return Fail("expected: " + std::string(form));
}

bool ResourceFileParser::Number(std::size_t index, unsigned* value) {
  const Token& token = m_tokens[index];
  unsigned v = 0;
  bool ok = !token.quoted && !token.text.empty() && token.text.size() <= 5;
  for (char c : token.text) {
    if (c < '0' || c > '9') ok = false;
    if (ok) v = v * 10 + (c - '0');
  }
  if (!ok || v > 65535) return Fail("identifier 0 to 65535 expected, found " + token.text);
  *value = v;
  return true;
}

bool ResourceFileParser::Quoted(std::size_t index, std::string* value) {
  if (!m_tokens[index].quoted) return Fail("quoted text expected, found " + m_tokens[index].text);
  *value = m_tokens[index].text;
  return true;
}

bool ResourceFileParser::ParseString(LanguageResources* out) {
  unsigned id = 0;
  std::string text;
  if (!Expect(3, "string <id> \"<text>\"") || !Number(1, &id) || !Quoted(2, &text)) return false;
  if (!out->m_strings.emplace(id, std::move(text)).second) {
    return Fail("string " + std::to_string(id) + " defined twice");
  }
  return true;
}

bool ResourceFileParser::ParseMenu(LanguageResources* out) {
  Menu menu;
  if (!Expect(2, "menu <id>") || !Number(1, &menu.id)) return false;
  if (out->m_menus.contains(menu.id))
    return Fail("menu " + std::to_string(menu.id) + " defined twice");
  if (!ParseMenuEntries(&menu.entries, 0)) return false;
  out->m_menus.emplace(menu.id, std::move(menu));
  return true;
}

// Reads entries up to the matching "end".
bool ResourceFileParser::ParseMenuEntries(std::vector<MenuEntry>* entries, int depth) {
  if (depth > kMaxMenuDepth) return Fail("pop-ups nested too deeply");
  while (NextStatement()) {
    MenuEntry entry;
    if (Keyword("end")) {
      return Expect(1, "end");
    } else if (Keyword("separator")) {
      if (!Expect(1, "separator")) return false;
      entry.kind = MenuEntry::Kind::Separator;
    } else if (Keyword("item")) {
      if (!Expect(3, "item <id> \"<text>\"") || !Number(1, &entry.id) || !Quoted(2, &entry.text)) {
        return false;
      }
    } else if (Keyword("popup")) {
      entry.kind = MenuEntry::Kind::Popup;
      if (!Expect(2, "popup \"<text>\"") || !Quoted(1, &entry.text) ||
          !ParseMenuEntries(&entry.entries, depth + 1)) {
        return false;
      }
    } else {
      return Fail("expected item, separator, popup or end");
    }
    entries->push_back(std::move(entry));
  }
  return Fail("menu without end");
}

bool ResourceFileParser::ParseDialog(LanguageResources* out) {
  Dialog dialog;
  if (!Expect(3, "dialog <id> \"<title>\"") || !Number(1, &dialog.id) ||
      !Quoted(2, &dialog.title)) {
    return false;
  }
  if (out->m_dialogs.contains(dialog.id)) {
    return Fail("dialog " + std::to_string(dialog.id) + " defined twice");
  }
  while (NextStatement()) {
    if (Keyword("end")) {
      if (!Expect(1, "end")) return false;
      out->m_dialogs.emplace(dialog.id, std::move(dialog));
      return true;
    }
    if (Keyword("entry")) {
      if (dialog.controls.empty()) return Fail("entry before any control");
      std::string text;
      if (!Expect(2, "entry \"<text>\"") || !Quoted(1, &text)) return false;
      dialog.controls.back().entries.push_back(std::move(text));
      continue;
    }
    DialogControl control;
    bool known = false;
    for (const auto& [word, kind] : kControlKinds) {
      if (Keyword(word)) {
        control.kind = kind;
        known = true;
      }
    }
    if (!known) return Fail("expected a control kind, entry or end");
    if (!Expect(3, "<kind> <id> \"<text>\"") || !Number(1, &control.id) ||
        !Quoted(2, &control.text)) {
      return false;
    }
    if (dialog.Find(control.id)) {
      return Fail("control " + std::to_string(control.id) + " defined twice");
    }
    dialog.controls.push_back(std::move(control));
  }
  return Fail("dialog without end");
}

bool ResourceFileParser::ParseToolbar(LanguageResources* out) {
  Toolbar toolbar;
  if (!Expect(2, "toolbar <id>") || !Number(1, &toolbar.id)) return false;
  if (out->m_toolbars.contains(toolbar.id)) {
    return Fail("toolbar " + std::to_string(toolbar.id) + " defined twice");
  }
  while (NextStatement()) {
    if (Keyword("end")) {
      if (!Expect(1, "end")) return false;
      out->m_toolbars.emplace(toolbar.id, std::move(toolbar));
      return true;
    }
    unsigned id = 0;
    if (Keyword("separator")) {
      if (!Expect(1, "separator")) return false;
    } else if (!Keyword("button") || !Expect(2, "button <id>") || !Number(1, &id)) {
      return Fail("expected button <id>, separator or end");
    } else if (id == 0) {
      return Fail("button 0 is reserved for separators");
    }
    toolbar.items.push_back(id);
  }
  return Fail("toolbar without end");
}
