// EsfWords: the first-field keywords of ESF exports in the nine languages that ETS writes.
#pragma once

#include <array>
#include <string_view>

// Languages of ESF exports, in the order of their index (`EsfLanguage`).
constexpr int kEsfLanguageCount = 9;

// The words are Windows-1252 bytes and are compared exactly, case-sensitive, with the whole
// first field of a line; the language index is decided by the project line.
struct EsfWords {
  std::array<std::string_view, kEsfLanguageCount> project;
  std::array<std::string_view, kEsfLanguageCount> mainGroup;
  std::array<std::string_view, kEsfLanguageCount> middleGroup;
  std::array<std::string_view, kEsfLanguageCount> subGroup;
  std::array<std::string_view, kEsfLanguageCount> objectTable;
};

// German, English, Spanish, French, Italian, Dutch, Norwegian, Portuguese, Swedish.
const EsfWords& StandardEsfWords();
