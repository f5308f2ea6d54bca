// SecureRandomBytes: bytes from the operating system's cryptographically secure generator, for
// session tokens and nonces that a client must not be able to guess.
#pragma once

#include <cstddef>
#include <string>

// Fills `size` bytes at `data` from getrandom(2). Throws std::system_error when the kernel
// refuses, which does not happen once it has been seeded at boot.
void SecureRandomBytes(void* data, std::size_t size);
std::string SecureRandomString(std::size_t size);
