// ApplyRegistrationScript: reads a registrar script into a tree, then registers or unregisters it.
#include "toolkit/registration_script.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/settings_store.h"

namespace {

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 0x20);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 0x20);
    if (x != y) return false;
  }
  return true;
}

std::string LineError(int line, const std::string& message) {
  return "line " + std::to_string(line) + ": " + message;
}

// Replaces %NAME% and %% before the script is read, as the registrar does.
std::optional<std::string> Substitute(std::string_view script,
                                      const std::map<std::string, std::string>& replacements,
                                      std::string& error) {
  std::string out;
  int line = 1;
  for (std::size_t pos = 0; pos < script.size(); ++pos) {
    const char c = script[pos];
    if (c == '\n') ++line;
    if (c != '%') {
      out += c;
      continue;
    }
    const std::size_t end = script.find('%', pos + 1);
    if (end == std::string_view::npos) {
      error = LineError(line, "'%' without its closing '%'");
      return std::nullopt;
    }
    const std::string_view name = script.substr(pos + 1, end - pos - 1);
    pos = end;
    if (name.empty()) {
      out += '%';
      continue;
    }
    const std::string* value = nullptr;
    for (const auto& [key, text] : replacements) {
      if (SameWord(key, name)) value = &text;
    }
    if (value == nullptr) {
      error = LineError(line, "unknown replacement %" + std::string(name) + "%");
      return std::nullopt;
    }
    for (const char v : *value) {
      out += v;
      if (v == '\'') out += '\'';  // the replacement stands inside a quoted text
    }
  }
  return out;
}

struct Token {
  std::string text;
  bool quoted = false;
  int line = 1;

  bool Is(std::string_view symbol) const { return !quoted && text == symbol; }
  bool IsWord(std::string_view word) const { return !quoted && SameWord(text, word); }
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Tokens are separated by white space; in apostrophes, '' is one apostrophe.
bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error) {
  int line = 1;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (IsBlank(text[pos])) {
      if (text[pos++] == '\n') ++line;
      continue;
    }
    Token token;
    token.line = line;
    if (text[pos] == '\'') {
      token.quoted = true;
      ++pos;
      for (;;) {
        if (pos >= text.size()) {
          error = LineError(token.line, "text without its closing apostrophe");
          return false;
        }
        if (text[pos] == '\'') {
          if (pos + 1 < text.size() && text[pos + 1] == '\'') {
            token.text += '\'';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        if (text[pos] == '\n') ++line;
        token.text += text[pos++];
      }
    } else {
      while (pos < text.size() && !IsBlank(text[pos])) token.text += text[pos++];
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

struct ScriptValue {
  bool isText = true;
  std::string text;
  std::uint32_t number = 0;
};

struct ScriptEntry {
  bool isValue = false;  // a named value (val) rather than a key
  bool noRemove = false;
  bool forceRemove = false;
  bool deleteKey = false;
  std::string name;
  std::optional<ScriptValue> value;  // a key's default value, or the named value
  std::vector<ScriptEntry> children;
};

struct ScriptRoot {
  Hive hive = Hive::ClassesRoot;
  std::vector<ScriptEntry> entries;
};

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

  bool ParseScript(std::vector<ScriptRoot>& roots) {
    while (m_pos < m_tokens.size()) {
      const Token& name = m_tokens[m_pos++];
      ScriptRoot root;
      if (name.IsWord("HKCR") || name.IsWord("HKEY_CLASSES_ROOT")) {
        root.hive = Hive::ClassesRoot;
      } else if (name.IsWord("HKCU") || name.IsWord("HKEY_CURRENT_USER")) {
        root.hive = Hive::CurrentUser;
      } else {
        return Fail(name.line, "unknown root key '" + name.text + "'");
      }
      if (!Expect("{") || !ParseEntries(root.entries, true)) return false;
      roots.push_back(std::move(root));
    }
    return true;
  }

  const std::string& Error() const { return m_error; }

 private:
  const Token* Next() { return m_pos < m_tokens.size() ? &m_tokens[m_pos++] : nullptr; }

  int LastLine() const { return m_tokens.empty() ? 1 : m_tokens[m_pos - 1].line; }

  bool Fail(int line, const std::string& message) {
    m_error = LineError(line, message);
    return false;
  }

  bool Expect(std::string_view symbol) {
    const Token* token = Next();
    if (token == nullptr) return Fail(LastLine(), "'" + std::string(symbol) + "' missing");
    if (!token->Is(symbol)) {
      return Fail(token->line, "'" + std::string(symbol) + "' expected, not '" + token->text + "'");
    }
    return true;
  }

  // The entries of a block up to and including its '}'.
  bool ParseEntries(std::vector<ScriptEntry>& entries, bool atRoot) {
    for (;;) {
      const Token* token = Next();
      if (token == nullptr) return Fail(LastLine(), "'}' missing");
      if (token->Is("}")) return true;
      ScriptEntry entry;
      if (token->IsWord("ForceRemove") || token->IsWord("Delete")) {
        (token->IsWord("Delete") ? entry.deleteKey : entry.forceRemove) = true;
        if ((token = Next()) == nullptr) return Fail(LastLine(), "key name missing");
      }
      if (token->IsWord("NoRemove")) {
        entry.noRemove = true;
        if ((token = Next()) == nullptr) return Fail(LastLine(), "key name missing");
      }
      if (token->IsWord("val")) {
        if (atRoot) return Fail(token->line, "a value needs a key");
        entry.isValue = true;
        if ((token = Next()) == nullptr) return Fail(LastLine(), "value name missing");
      }
      if (!token->quoted && (token->text == "{" || token->text == "}" || token->text == "=")) {
        return Fail(token->line, "name expected, not '" + token->text + "'");
      }
      if (token->text.find('\\') != std::string::npos) {
        return Fail(token->line, "a key name must not contain '\\'");
      }
      entry.name = token->text;
      if (entry.isValue) {
        if (!Expect("=") || !ParseValue(entry)) return false;
      } else {
        if (m_pos < m_tokens.size() && m_tokens[m_pos].Is("=")) {
          ++m_pos;
          if (!ParseValue(entry)) return false;
        }
        if (m_pos < m_tokens.size() && m_tokens[m_pos].Is("{")) {
          ++m_pos;
          if (!ParseEntries(entry.children, false)) return false;
        }
      }
      entries.push_back(std::move(entry));
    }
  }

  // The type letter and the value after '='.
  bool ParseValue(ScriptEntry& entry) {
    const Token* type = Next();
    const Token* text = type != nullptr ? Next() : nullptr;
    if (text == nullptr) return Fail(LastLine(), "value missing after '='");
    ScriptValue value;
    if (type->Is("s")) {
      value.text = text->text;
    } else if (type->Is("d")) {
      const std::optional<std::uint32_t> number = ParseNumber(text->text);
      if (!number) return Fail(text->line, "'" + text->text + "' is no 32-bit number");
      value.isText = false;
      value.number = *number;
    } else {
      return Fail(type->line, "value type '" + type->text + "' is not supported");
    }
    entry.value = std::move(value);
    return true;
  }

  std::vector<Token> m_tokens;
  std::size_t m_pos = 0;
  std::string m_error;
};

// Keys that many programs share: never deleted as a whole.
bool IsSharedKey(std::string_view name) {
  static constexpr std::string_view kShared[] = {
      "AppID",    "CLSID",     "Component Categories",
      "FileType", "Interface", "Hardware",
      "Mime",     "SAM",       "SECURITY",
      "SYSTEM",   "Software",  "TypeLib",
  };
  for (const std::string_view shared : kShared) {
    if (SameWord(name, shared)) return true;
  }
  return false;
}

std::string SubKey(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

class Applier {
 public:
  explicit Applier(SettingsStore& store) : m_store(store) {}

  bool Register(const std::vector<ScriptEntry>& entries, const std::string& parent) {
    for (const ScriptEntry& entry : entries) {
      if (entry.isValue) {
        if (!SetValue(parent, entry.name, *entry.value)) return false;
        continue;
      }
      const std::string key = SubKey(parent, entry.name);
      if ((entry.forceRemove || entry.deleteKey) && !IsSharedKey(entry.name) &&
          m_store.KeyExists(key) && !m_store.DeleteKey(key)) {
        return Failed("cannot delete " + key);
      }
      if (entry.deleteKey) continue;
      if (!m_store.CreateKey(key)) return Failed("cannot create " + key);
      if (entry.value && !SetValue(key, "", *entry.value)) return false;
      if (!Register(entry.children, key)) return false;
    }
    return true;
  }

  // Goes on after a failure so that as much as possible is removed; false if anything failed.
  bool Unregister(const std::vector<ScriptEntry>& entries, const std::string& parent) {
    bool ok = true;
    for (const ScriptEntry& entry : entries) {
      if (entry.isValue) {
        // A value that is not there is no error.
        if (!entry.noRemove) m_store.DeleteValue(parent, entry.name);
        continue;
      }
      const std::string key = SubKey(parent, entry.name);
      if (!m_store.KeyExists(key)) continue;
      ok = Unregister(entry.children, key) && ok;
      // Subkeys that the script does not name keep their key.
      if (!entry.noRemove && m_store.SubKeys(key).empty() && !m_store.DeleteKey(key)) {
        ok = Failed("cannot delete " + key);
      }
    }
    return ok;
  }

  const std::string& Error() const { return m_error; }

 private:
  bool SetValue(const std::string& key, const std::string& name, const ScriptValue& value) {
    const bool set = value.isText
                         ? m_store.SetText(key, name, value.text)
                         : m_store.SetInt(key, name, static_cast<std::int32_t>(value.number));
    return set || Failed("cannot write " + key + (name.empty() ? "" : "\\" + name));
  }

  bool Failed(const std::string& message) {
    if (m_error.empty()) m_error = message;
    return false;
  }

  SettingsStore& m_store;
  std::string m_error;
};

// Reads the whole script; an empty result with `message` set on a syntax error.
std::optional<std::vector<ScriptRoot>> ReadScript(
    std::string_view script, const std::map<std::string, std::string>& replacements,
    std::string& message) {
  std::vector<Token> tokens;
  const std::optional<std::string> text = Substitute(script, replacements, message);
  if (!text || !Tokenize(*text, tokens, message)) return std::nullopt;
  Parser parser(std::move(tokens));
  std::vector<ScriptRoot> roots;
  if (!parser.ParseScript(roots)) {
    message = parser.Error();
    return std::nullopt;
  }
  return roots;
}

bool Unregister(const std::vector<ScriptRoot>& roots, std::string& message) {
  bool ok = true;
  for (const ScriptRoot& root : roots) {
    Applier applier(SettingsStore::Of(root.hive));
    if (!applier.Unregister(root.entries, "")) {
      if (ok) message = applier.Error();
      ok = false;
    }
  }
  return ok;
}

bool Register(const std::vector<ScriptRoot>& roots, std::string& message) {
  for (const ScriptRoot& root : roots) {
    Applier applier(SettingsStore::Of(root.hive));
    if (!applier.Register(root.entries, "")) {
      message = applier.Error();
      // Take back what was written; the first failure is the one reported.
      std::string ignored;
      Unregister(roots, ignored);
      return false;
    }
  }
  return true;
}

}  // namespace

HRESULT ApplyRegistrationScript(std::string_view script, bool doRegister,
                                const std::map<std::string, std::string>& replacements,
                                std::string* error) {
  std::string message;
  const std::optional<std::vector<ScriptRoot>> roots = ReadScript(script, replacements, message);
  const bool ok = roots && (doRegister ? Register(*roots, message) : Unregister(*roots, message));
  if (error != nullptr) *error = ok ? std::string() : message;
  return ok ? S_OK : E_FAIL;
}
