// EsfLineReader: reads an ESF export line by line as the import sees it, with the 1023-character
// cut.
#pragma once

#include <cstddef>
#include <string_view>

// Longest line the import looks at; the rest of a longer line is skipped up to its end.
constexpr std::size_t kEsfMaxLineLength = 1023;

// Walks a file's text held in memory. A line ends at LF; a CR before it is removed as well, so
// files with CR LF and LF line ends read alike. The views it hands out point into the text.
class EsfLineReader {
 public:
  explicit EsfLineReader(std::string_view text) : m_text(text) {}

  // The next line without its end, at most kEsfMaxLineLength characters; false at the end.
  bool ReadLine(std::string_view& line);
  // Bytes consumed so far (the file position after the last line read), and the text's length.
  std::size_t Position() const { return m_position; }
  std::size_t Length() const { return m_text.size(); }

 private:
  std::string_view m_text;
  std::size_t m_position = 0;
};
