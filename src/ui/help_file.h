// HelpFile: the user manual of the chosen language, opened in the desktop's browser. Its file
// names and where it is looked for are the platform's (HelpFileName, FindHelpFile).
#pragma once

#include <cstdint>

class Prompt;

// Opens the manual (nothing for a language without one); tells the user when it is missing
// or the desktop cannot open it.
void OpenHelpFile(std::int32_t language, Prompt& prompt);
