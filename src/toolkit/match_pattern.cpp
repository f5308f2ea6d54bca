// ToolkitMatchPattern: OPC browse filter patterns over Windows-1252 names.
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace {

// Lower case of a Windows-1252 letter: ASCII, the accented Latin-1 letters and Š Œ Ž Ÿ.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

// One element of a pattern; every kind but Star stands for exactly one character.
struct Token {
  enum Kind { Literal, AnyChar, Digit, Set, Star } kind = Literal;
  unsigned char literal = 0;
  bool negated = false;                                         // [!...]
  std::vector<std::pair<unsigned char, unsigned char>> ranges;  // of a set; single chars as a-a
};

// Reads a set after its '['. A '-' first or last in the list stands for itself; a set without
// its ']' makes the pattern invalid.
std::optional<Token> ParseSet(std::string_view pattern, std::size_t& pos, bool fold) {
  Token token;
  token.kind = Token::Set;
  if (pos < pattern.size() && pattern[pos] == '!') {
    token.negated = true;
    ++pos;
  }
  while (pos < pattern.size() && pattern[pos] != ']') {
    unsigned char low = static_cast<unsigned char>(pattern[pos]);
    unsigned char high = low;
    if (pos + 2 < pattern.size() && pattern[pos + 1] == '-' && pattern[pos + 2] != ']') {
      high = static_cast<unsigned char>(pattern[pos + 2]);
      pos += 3;
    } else {
      ++pos;
    }
    if (fold) {
      low = FoldCase(low);
      high = FoldCase(high);
    }
    token.ranges.emplace_back(low, high);
  }
  if (pos >= pattern.size()) return std::nullopt;
  ++pos;  // the ']'
  return token;
}

std::optional<std::vector<Token>> ParsePattern(std::string_view pattern, bool fold) {
  std::vector<Token> tokens;
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const unsigned char c = static_cast<unsigned char>(pattern[pos++]);
    Token token;
    switch (c) {
      case '*':
        // Runs of stars match what one star matches.
        if (!tokens.empty() && tokens.back().kind == Token::Star) continue;
        token.kind = Token::Star;
        break;
      case '?':
        token.kind = Token::AnyChar;
        break;
      case '#':
        token.kind = Token::Digit;
        break;
      case '[': {
        std::optional<Token> set = ParseSet(pattern, pos, fold);
        if (!set) return std::nullopt;
        token = std::move(*set);
        break;
      }
      default:
        token.literal = fold ? FoldCase(c) : c;
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

bool MatchesOne(const Token& token, unsigned char c) {
  switch (token.kind) {
    case Token::Literal:
      return c == token.literal;
    case Token::AnyChar:
      return true;
    case Token::Digit:
      return c >= '0' && c <= '9';
    case Token::Set: {
      bool inSet = false;
      for (const auto& [low, high] : token.ranges) {
        if (c >= low && c <= high) inSet = true;
      }
      return inSet != token.negated;
    }
    case Token::Star:
      break;
  }
  return false;
}

}  // namespace

int ToolkitMatchPattern(const char* name, const char* pattern, int caseSensitive) {
  const bool fold = caseSensitive == 0;
  const std::optional<std::vector<Token>> tokens =
      ParsePattern(pattern != nullptr ? pattern : "", fold);
  if (!tokens) return 0;
  const std::string_view text = name != nullptr ? name : "";

  // Every token but a star takes one character, so on a mismatch it is enough to let the last
  // star take one more character and go on from there: at most len(name) * len(pattern) steps.
  std::size_t t = 0, n = 0;
  std::optional<std::size_t> starToken;
  std::size_t starText = 0;
  while (n < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[n]);
    if (t < tokens->size() && (*tokens)[t].kind == Token::Star) {
      starToken = t++;
      starText = n;
    } else if (t < tokens->size() && MatchesOne((*tokens)[t], fold ? FoldCase(c) : c)) {
      ++t;
      ++n;
    } else if (starToken) {
      t = *starToken + 1;
      n = ++starText;
    } else {
      return 0;
    }
  }
  // The name is used up: only a trailing star may remain.
  while (t < tokens->size() && (*tokens)[t].kind == Token::Star) ++t;
  return t == tokens->size() ? 1 : 0;
}
