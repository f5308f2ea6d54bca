// The process-wide language of the user interface, and messages looked up and formatted in it.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/language_resources.h"
#include "platform/message_format.h"

// The resources in use; never null (an empty set until SetLanguage or LoadLanguage). Callable
// from any thread; the returned set stays valid while the caller holds it.
std::shared_ptr<const LanguageResources> Language();
void SetLanguage(std::shared_ptr<const LanguageResources> resources);

// Finds the file of `language` (0 English, 1 German), loads it and makes it the language in
// use. On failure the language in use stays and `error` says why.
bool LoadLanguage(int language, std::string* error);

// The string `id` of the language in use, formatted with the inserts (see FormatText), e.g.
// FormatMessage(129, hr) or FormatMessage(131, DeviceOpenErrorName(code)).
template <typename... Inserts>
std::string FormatMessage(unsigned id, const Inserts&... inserts) {
  const std::array<FormatArg, sizeof...(Inserts)> args{FormatArg(inserts)...};
  return FormatText(Language()->String(id), args);
}
