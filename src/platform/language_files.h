// The language resource files: their names, where they are looked for, the load failure texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// "resdll_E" for language 0 (English), "resdll_D" for 1 (German), empty for any other value.
std::string LanguageFileName(int language);

// The directories searched for a language file: $ZELVOX_LANG_DIR alone when it is set; else
// the directory of the running program and ../share/zelvox/lang beside it.
std::vector<std::string> LanguageFileDirectories();

// The path of the first existing file of that name in those directories; empty when none has it.
std::string FindLanguageFile(std::string_view fileName);

// The message shown when the file of `language` cannot be loaded, in that language and
// Windows-1252; empty for a language without a file.
std::string LanguageLoadFailureText(int language);
