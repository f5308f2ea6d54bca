// ResourceFileParser: reads the text of a language resource file into LanguageResources.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/language_resources.h"

class ResourceFileParser {
 public:
  ResourceFileParser(std::string_view utf8, std::string_view source);

  // Fills `out` (which should be empty); on a syntax error returns false with
  // "<source>:<line>: <what>" in `error`.
  bool Parse(LanguageResources* out, std::string* error);

 private:
  struct Token {
    bool quoted = false;
    std::string text;  // quoted texts already unescaped and converted to Windows-1252
  };

  bool NextStatement();
  bool Tokenize(std::string_view line);
  bool Fail(const std::string& what);
  bool Expect(std::size_t count, std::string_view form);
  bool Number(std::size_t index, unsigned* value);
  bool Quoted(std::size_t index, std::string* value);
  bool Keyword(std::string_view word) const;

  bool ParseString(LanguageResources* out);
  bool ParseMenu(LanguageResources* out);
  bool ParseMenuEntries(std::vector<MenuEntry>* entries, int depth);
  bool ParseDialog(LanguageResources* out);
  bool ParseToolbar(LanguageResources* out);

  std::string_view m_text;
  std::string m_source;
  std::size_t m_pos = 0;
  int m_lineNumber = 0;
  std::vector<Token> m_tokens;
  std::string m_error;
};
