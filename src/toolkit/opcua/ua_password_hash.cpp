// Password hashing with OpenSSL's scrypt and a random salt.
#include "toolkit/opcua/ua_password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/secure_random.h"

namespace {

constexpr std::string_view kPrefix = "$scrypt$";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;
// Costs a stored hash may ask for: enough for any sensible setting, not enough to let a
// crafted users file stall the server.
constexpr int kMaxLogN = 20;
constexpr int kMaxR = 32;
constexpr int kMaxP = 16;
constexpr std::uint64_t kMaxMemory = 1024ull * 1024 * 1024;

std::string Hex(const std::vector<unsigned char>& bytes) {
  std::string text;
  char pair[3];
  for (unsigned char b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    text += pair;
  }
  return text;
}

std::optional<std::vector<unsigned char>> FromHex(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    for (char c : text.substr(i, 2)) {
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    bytes.push_back(static_cast<unsigned char>(value));
  }
  return bytes;
}

std::optional<std::vector<unsigned char>> Scrypt(std::string_view password,
                                                 const std::vector<unsigned char>& salt,
                                                 const UaScryptCost& cost, std::size_t size) {
  std::vector<unsigned char> out(size);
  if (EVP_PBE_scrypt(password.data(), password.size(), salt.data(), salt.size(),
                     std::uint64_t{1} << cost.logN, static_cast<std::uint64_t>(cost.r),
                     static_cast<std::uint64_t>(cost.p), kMaxMemory, out.data(), out.size()) != 1) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::string UaHashPassword(std::string_view password, const UaScryptCost& cost) {
  std::vector<unsigned char> salt(kSaltBytes);
  SecureRandomBytes(salt.data(), salt.size());
  auto hash = Scrypt(password, salt, cost, kHashBytes);
  if (!hash) return {};
  return std::string(kPrefix) + "ln=" + std::to_string(cost.logN) + ",r=" + std::to_string(cost.r) +
         ",p=" + std::to_string(cost.p) + "$" + Hex(salt) + "$" + Hex(*hash);
}

bool UaVerifyPassword(std::string_view password, std::string_view hash) {
  if (!hash.starts_with(kPrefix)) return false;
  hash.remove_prefix(kPrefix.size());
  UaScryptCost cost;
  int used = 0;
  std::string parameters(hash.substr(0, hash.find('$')));
  if (std::sscanf(parameters.c_str(), "ln=%d,r=%d,p=%d%n", &cost.logN, &cost.r, &cost.p, &used) !=
          3 ||
      static_cast<std::size_t>(used) != parameters.size() || cost.logN < 1 ||
      cost.logN > kMaxLogN || cost.r < 1 || cost.r > kMaxR || cost.p < 1 || cost.p > kMaxP) {
    return false;
  }
  hash.remove_prefix(std::min(hash.size(), parameters.size() + 1));
  std::size_t split = hash.find('$');
  if (split == std::string_view::npos) return false;
  auto salt = FromHex(hash.substr(0, split));
  auto expected = FromHex(hash.substr(split + 1));
  if (!salt || !expected) return false;
  auto actual = Scrypt(password, *salt, cost, expected->size());
  return actual && CRYPTO_memcmp(actual->data(), expected->data(), expected->size()) == 0;
}
