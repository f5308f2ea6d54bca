// ProgramFileDirectories: where the program's data files are looked for, relative to the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The directories that may hold the program's data files of one kind ("lang", "help", "demo"):
// the directory of the running program (as in the build tree) and ../share/zelvox/<kind>
// beside it (as installed). No path is fixed at build time, so an installation can be moved.
std::vector<std::string> ProgramFileDirectories(std::string_view kind);

// The path of the first existing regular file `fileName` in `directories`; empty when none.
std::string FindFileIn(const std::vector<std::string>& directories, std::string_view fileName);
