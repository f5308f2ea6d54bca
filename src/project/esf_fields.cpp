// ESF fields: field access without copying, from either end of a line.
#include "project/esf_fields.h"

std::string_view EsfFieldFromLeft(std::string_view line, std::size_t n) {
  std::size_t start = 0;
  for (; n > 0; --n) {
    const std::size_t semicolon = line.find(';', start);
    if (semicolon == std::string_view::npos) return {};
    start = semicolon + 1;
  }
  const std::size_t end = line.find(';', start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view EsfFieldFromRight(std::string_view line, std::size_t n) {
  std::size_t end = line.size();  // one past the field's last character
  for (; n > 0; --n) {
    const std::size_t semicolon = end == 0 ? std::string_view::npos : line.rfind(';', end - 1);
    if (semicolon == std::string_view::npos) return {};
    end = semicolon;
  }
  const std::size_t semicolon = end == 0 ? std::string_view::npos : line.rfind(';', end - 1);
  const std::size_t start = semicolon == std::string_view::npos ? 0 : semicolon + 1;
  return line.substr(start, end - start);
}
