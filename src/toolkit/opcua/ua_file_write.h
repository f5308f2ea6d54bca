// Writing the server's security files (keys, certificates, users) atomically with their mode.
#pragma once

#include <sys/types.h>
#include <string>
#include <string_view>

// Writes `data` to a temporary file beside `path` with `mode` (0600 for secrets), flushes it
// to disk and renames it over `path`; a reader sees the old file or the whole new one. False
// with the reason in `error` when that fails.
bool UaWriteFileAtomically(const std::string& path, std::string_view data, mode_t mode,
                           std::string* error);
