// BigProject: a project file of 65,536 group items for the benchmarks.
#pragma once

#include <string>

// Writes the project file and its device file: every three-level address once: 32 main groups
// of 8 middle groups of 256 items, every other item with two links, every third marked for the
// initial read; 1,024 devices.
void WriteBigProject(const std::string& path);
