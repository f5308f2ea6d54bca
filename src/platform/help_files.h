// The user manual's files: their names by language and where they are found.
#pragma once

#include <string>

// "Zelvox_E.html" for language 0 (English), "Zelvox_D.html" for 1 (German), empty otherwise.
std::string HelpFileName(int language);

// The path of the manual in `language`: beside the program, else in ../share/zelvox/help;
// empty when it is in neither or the language has none.
std::string FindHelpFile(int language);
