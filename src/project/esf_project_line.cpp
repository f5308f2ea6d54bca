// FindEsfProjectLine: language detection by the project word of the first matching line.
#include "project/esf_project_line.h"

#include "project/esf_fields.h"

std::optional<EsfProjectLine> FindEsfProjectLine(EsfLineReader& reader, const EsfWords& words) {
  std::string_view line;
  while (reader.ReadLine(line)) {
    const std::string_view first = EsfFieldFromLeft(line, 0);
    for (int language = 0; language < kEsfLanguageCount; ++language) {
      if (first == words.project[language])
        return EsfProjectLine{language, EsfFieldFromLeft(line, 1)};
    }
  }
  return std::nullopt;
}
