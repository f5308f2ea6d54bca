// Tests of the OPC browse filter patterns.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/toolkit.h"

namespace {

bool Match(const std::string& name, const std::string& pattern, int caseSensitive = 1) {
  return ToolkitMatchPattern(name.c_str(), pattern.c_str(), caseSensitive) != 0;
}

}  // namespace

TEST(MatchPattern, WildcardsAndDigits) {
  EXPECT_TRUE(Match("abc", "abc"));
  EXPECT_FALSE(Match("abc", "abd"));
  EXPECT_FALSE(Match("abc", "ab"));
  EXPECT_FALSE(Match("ab", "abc"));

  EXPECT_TRUE(Match("abc", "a?c"));
  EXPECT_FALSE(Match("ac", "a?c"));
  EXPECT_FALSE(Match("", "?"));

  EXPECT_TRUE(Match("abc", "*"));
  EXPECT_TRUE(Match("", "*"));
  EXPECT_TRUE(Match("abc", "a*"));
  EXPECT_TRUE(Match("abc", "*c"));
  EXPECT_TRUE(Match("ac", "a*c"));
  EXPECT_FALSE(Match("abd", "a*c"));
  EXPECT_TRUE(Match("Lights.Floor 1.1/2/3", "*.*.#/#/#"));
  // The star has to give characters back to let the rest match.
  EXPECT_TRUE(Match("abcbcd", "a*bcd"));
  EXPECT_TRUE(Match("mississippi", "m*iss*ppi"));
  EXPECT_FALSE(Match("mississippi", "m*iss*x"));
  EXPECT_TRUE(Match("a*b", "a*b"));

  EXPECT_TRUE(Match("1/2/3", "#/#/#"));
  EXPECT_FALSE(Match("1/a/3", "#/#/#"));
  EXPECT_TRUE(Match("x12y", "*#*"));
  EXPECT_FALSE(Match("xy", "*#*"));
}

TEST(MatchPattern, CharacterLists) {
  EXPECT_TRUE(Match("b", "[abc]"));
  EXPECT_FALSE(Match("d", "[abc]"));
  EXPECT_TRUE(Match("m", "[a-z]"));
  EXPECT_FALSE(Match("5", "[a-z]"));
  EXPECT_TRUE(Match("x7", "[a-z0-9][0-9]"));
  EXPECT_TRUE(Match("d", "[!abc]"));
  EXPECT_FALSE(Match("a", "[!abc]"));
  EXPECT_TRUE(Match("5", "[!a-z]"));
  EXPECT_FALSE(Match("q", "[!a-z]"));
  EXPECT_FALSE(Match("", "[!a-z]"));

  // Brackets make the special characters ordinary; '-' first or last stands for itself.
  EXPECT_TRUE(Match("*", "[*]"));
  EXPECT_FALSE(Match("a", "[*]"));
  EXPECT_TRUE(Match("?x", "[?]x"));
  EXPECT_TRUE(Match("#", "[#]"));
  EXPECT_TRUE(Match("[", "[[]"));
  EXPECT_TRUE(Match("-", "[a-]"));
  EXPECT_TRUE(Match("-", "[-a]"));
  EXPECT_FALSE(Match("b", "[a-]"));
  EXPECT_TRUE(Match("a]", "a]"));

  // A list without its ']' matches nothing.
  EXPECT_FALSE(Match("a[", "a["));
  EXPECT_FALSE(Match("abc", "[abc"));
  EXPECT_FALSE(Match("a", "*[a"));
}

TEST(MatchPattern, CaseFlagCoversWindows1252Letters) {
  EXPECT_TRUE(Match("ABC", "abc", 0));
  EXPECT_FALSE(Match("ABC", "abc", 1));
  EXPECT_TRUE(Match("M", "[a-z]", 0));
  EXPECT_FALSE(Match("M", "[a-z]", 1));
  EXPECT_FALSE(Match("m", "[!A-Z]", 0));
  EXPECT_TRUE(Match("K\xC4LTE", "k\xE4lte", 0));  // Ä / ä
  EXPECT_FALSE(Match("K\xC4LTE", "k\xE4lte", 1));
  EXPECT_TRUE(Match("\x8A", "[\x9A]", 0));  // Š / š
  EXPECT_FALSE(Match("\xD7", "\xF7", 0));   // × and ÷ are no letters
}

TEST(MatchPattern, EmptyAndMissingTexts) {
  EXPECT_TRUE(Match("", ""));
  EXPECT_FALSE(Match("a", ""));
  EXPECT_FALSE(Match("", "a"));
  EXPECT_NE(ToolkitMatchPattern("", nullptr, 0), 0);
  EXPECT_EQ(ToolkitMatchPattern("a", nullptr, 0), 0);
  EXPECT_NE(ToolkitMatchPattern(nullptr, "*", 0), 0);
}

TEST(MatchPattern, PathologicalPatternsFinish) {
  // Nested backtracking over many stars would take exponential time; this must not.
  const std::string name(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 30; ++i) pattern += "*a";
  EXPECT_TRUE(Match(name, pattern));
  EXPECT_FALSE(Match(name, pattern + "*b"));
  EXPECT_TRUE(Match(name, std::string(100000, '*')));
  EXPECT_FALSE(Match(name, std::string(100000, '*') + "b"));
  EXPECT_TRUE(Match(name, std::string(5000, '?')));
  EXPECT_FALSE(Match(name, std::string(5001, '?')));
}
