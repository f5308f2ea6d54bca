// UaLoginThrottle: slows down password guessing from one address by refusing its logins for a
// growing time after repeated failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class UaLoginThrottle {
 public:
  // The first `freeFailures` failures cost nothing; each further one blocks the address for
  // `firstDelayMs`, doubling up to `maxDelayMs`. An address without failures for
  // `forgetAfterMs` starts afresh.
  struct Limits {
    int freeFailures = 3;
    std::int64_t firstDelayMs = 1000;
    std::int64_t maxDelayMs = 60000;
    std::int64_t forgetAfterMs = 15 * 60000;
    std::size_t maxAddresses = 10000;
  };
  UaLoginThrottle() = default;
  explicit UaLoginThrottle(Limits limits) : m_limits(limits) {}

  // False while `address` is blocked: the login is refused without looking at the password.
  bool Allowed(const std::string& address, std::int64_t nowMs);
  void Failed(const std::string& address, std::int64_t nowMs);
  void Succeeded(const std::string& address) { m_addresses.erase(address); }

 private:
  struct Record {
    int failures = 0;
    std::int64_t lastFailureMs = 0;
    std::int64_t blockedUntilMs = 0;
  };
  void Forget(std::int64_t nowMs);

  Limits m_limits;
  std::map<std::string, Record> m_addresses;
};
