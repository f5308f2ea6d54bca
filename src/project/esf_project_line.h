// FindEsfProjectLine: the line that opens an ESF export and decides its language.
#pragma once

#include <optional>
#include <string_view>

#include "project/esf_line_reader.h"
#include "project/esf_words.h"

struct EsfProjectLine {
  int language = 0;       // index into the keyword lists (`EsfLanguage`)
  std::string_view name;  // field 1 of the line, as read (may be empty)
};

// Reads lines until the first field of one equals one of the nine project words exactly;
// the lines before it are skipped. None when the text ends first.
std::optional<EsfProjectLine> FindEsfProjectLine(EsfLineReader& reader, const EsfWords& words);
