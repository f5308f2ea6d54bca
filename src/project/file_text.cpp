// ReadFileText: reads a file in one piece.
#include "project/file_text.h"

#include <cstdio>
#include <memory>

std::optional<std::string> ReadFileText(const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) return std::nullopt;
  // Read in blocks: the size a seek reports is not to be trusted for every kind of file.
  std::string text;
  char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, file.get())) > 0) text.append(block, n);
  if (std::ferror(file.get())) return std::nullopt;
  return text;
}
