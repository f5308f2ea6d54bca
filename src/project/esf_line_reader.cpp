// EsfLineReader: line splitting with the cut after 1023 characters.
#include "project/esf_line_reader.h"

bool EsfLineReader::ReadLine(std::string_view& line) {
  if (m_position >= m_text.size()) return false;
  const std::string_view rest = m_text.substr(m_position);
  const std::size_t end = rest.find('\n');
  line = rest.substr(0, end);
  m_position = end == std::string_view::npos ? m_text.size() : m_position + end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kEsfMaxLineLength) line = line.substr(0, kEsfMaxLineLength);
  return true;
}
