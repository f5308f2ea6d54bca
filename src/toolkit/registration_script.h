// ApplyRegistrationScript: applies a registrar script (.rgs syntax) to the settings store.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/hresult.h"

// The script names root keys (HKCR or HKEY_CLASSES_ROOT, HKCU or HKEY_CURRENT_USER) followed by
// blocks of keys in braces:
//   HKCR { NoRemove CLSID { ForceRemove {guid} = s 'text' { LocalServer32 = s '%MODULE%'
//     { val ThreadingModel = s 'Both' } } } }
// Tokens are separated by white space; a name or value in apostrophes may hold blanks, and ''
// stands for one apostrophe. `= s 'x'` sets a key's default value, `val Name = s 'x'` or
// `val Name = d 'n'` (decimal or 0x hexadecimal) a named value.
//
// Registering creates the keys and values; ForceRemove deletes a key with all its content
// before it is written again, Delete deletes a key and writes nothing. Unregistering deletes
// the named values and every key that is left without subkeys, except keys and values marked
// NoRemove, whose children are still processed. Well-known shared keys (CLSID, AppID,
// Interface, TypeLib, Software, ...) are never deleted as a whole by ForceRemove or Delete.
//
// "%NAME%" is replaced by `replacements[NAME]` (names without regard to case; apostrophes in
// the replacement are doubled, as it stands inside a quoted text) and "%%" by "%".
//
// The whole script is read before anything is changed: a syntax error or an unknown
// replacement returns E_FAIL and leaves the store as it was. A store that cannot be written
// returns E_FAIL; a failed registration is undone by unregistering the same script. `error`,
// when given, receives a description of the failure with its line number.
HRESULT ApplyRegistrationScript(std::string_view script, bool doRegister,
                                const std::map<std::string, std::string>& replacements,
                                std::string* error = nullptr);
