// ReadFileText: a whole file's bytes in memory.
#pragma once

#include <optional>
#include <string>

// The file's bytes as they are; none when it cannot be opened or read.
std::optional<std::string> ReadFileText(const std::string& path);
