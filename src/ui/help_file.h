// HelpFile: the user manual of the chosen language, opened in the desktop's browser. The file
// names by language are the platform's (HelpFileName).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Prompt;

// The directories searched: $ZELVOX_HELP_DIR alone when it is set; else the program's own
// directory, ../share/zelvox/help and ../share/doc/zelvox beside it, and the source tree's
// resources/help fixed at build time.
std::vector<std::string> HelpFileDirectories(const std::string& programDir);
// The first existing help file of the language; empty when there is none.
std::string FindHelpFile(std::int32_t language, const std::string& programDir);
// Opens the manual (nothing for a language without one); tells the user when it is missing
// or the desktop cannot open it.
void OpenHelpFile(std::int32_t language, Prompt& prompt);
