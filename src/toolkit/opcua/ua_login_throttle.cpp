// UaLoginThrottle: failures per address and the blocking time they earn.
#include "toolkit/opcua/ua_login_throttle.h"

#include <algorithm>

bool UaLoginThrottle::Allowed(const std::string& address, std::int64_t nowMs) {
  auto it = m_addresses.find(address);
  if (it == m_addresses.end()) return true;
  if (nowMs - it->second.lastFailureMs >= m_limits.forgetAfterMs) {
    m_addresses.erase(it);
    return true;
  }
  return nowMs >= it->second.blockedUntilMs;
}

void UaLoginThrottle::Failed(const std::string& address, std::int64_t nowMs) {
  if (m_addresses.size() >= m_limits.maxAddresses && !m_addresses.contains(address)) {
    Forget(nowMs);
  }
  Record& record = m_addresses[address];
  if (record.failures > 0 && nowMs - record.lastFailureMs >= m_limits.forgetAfterMs) record = {};
  ++record.failures;
  record.lastFailureMs = nowMs;
  int over = record.failures - m_limits.freeFailures;
  if (over <= 0) return;
  std::int64_t delay = m_limits.firstDelayMs;
  for (int i = 1; i < over && delay < m_limits.maxDelayMs; ++i) delay *= 2;
  record.blockedUntilMs = nowMs + std::min(delay, m_limits.maxDelayMs);
}

// Makes room: addresses whose failures are old enough go, else the one that failed longest ago.
void UaLoginThrottle::Forget(std::int64_t nowMs) {
  std::erase_if(m_addresses, [&](const auto& entry) {
    return nowMs - entry.second.lastFailureMs >= m_limits.forgetAfterMs;
  });
  if (m_addresses.size() < m_limits.maxAddresses) return;
  auto oldest = std::min_element(m_addresses.begin(), m_addresses.end(), [](auto& a, auto& b) {
    return a.second.lastFailureMs < b.second.lastFailureMs;
  });
  m_addresses.erase(oldest);
}
