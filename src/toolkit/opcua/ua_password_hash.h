// Salted, deliberately slow password hashes (scrypt) in a self-describing text form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// scrypt's cost: N = 2^logN, block size r, parallelism p. The default takes some tens of
// milliseconds and 16 MiB, which makes guessing offline expensive.
struct UaScryptCost {
  int logN = 14;
  int r = 8;
  int p = 1;
};

// "$scrypt$ln=14,r=8,p=1$<salt hex>$<hash hex>" with a fresh random salt; empty when OpenSSL
// refuses the cost.
std::string UaHashPassword(std::string_view password, const UaScryptCost& cost = {});
// Whether `password` has `hash` (a text UaHashPassword made); false for a malformed hash. The
// comparison takes the same time wherever the hashes differ.
bool UaVerifyPassword(std::string_view password, std::string_view hash);
