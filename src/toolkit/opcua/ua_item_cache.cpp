// UaItemCache: entries in arrival order, found through open addressing with linear probing;
// the texts are kept in one string.
#include "toolkit/opcua/ua_item_cache.h"

#include <algorithm>
#include <cstring>

namespace {

// Enough for every item of a large installation under a few spellings; a client that sends
// ever new IDs only makes the cache start again.
constexpr std::size_t kMaxEntries = std::size_t{1} << 18;
constexpr std::size_t kMaxKeyBytes = std::size_t{64} << 20;

// Eight bytes at a time: IDs are a few dozen bytes long and read by the thousand.
std::uint64_t HashText(std::string_view text) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = kMultiplier ^ text.size();
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  if (i < text.size()) {
    // The last eight bytes when there are as many (overlapping words already hashed), so that
    // the tail is one load too.
    std::uint64_t word = 0;
    if (text.size() >= 8) {
      std::memcpy(&word, text.data() + text.size() - 8, 8);
    } else {
      for (std::size_t k = i; k < text.size(); ++k) {
        word |= std::uint64_t{static_cast<std::uint8_t>(text[k])} << (8 * (k - i));
      }
    }
    hash = (hash ^ word) * kMultiplier;
  }
  // A multiplication carries a byte's bits only upwards; the finish brings the high bits of
  // every byte into the low ones that pick the slot.
  hash ^= hash >> 32;
  hash *= kMultiplier;
  return hash ^ (hash >> 29);
}

// Whether the `n` bytes at `a` and `b` agree; eight at a time, the last eight overlapping,
// without a library call for the few dozen bytes of an ID.
bool SameBytes(const char* a, const char* b, std::size_t n) {
  if (n < 8) return std::memcmp(a, b, n) == 0;
  std::uint64_t x, y;
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  std::memcpy(&x, a + n - 8, 8);
  std::memcpy(&y, b + n - 8, 8);
  return x == y;
}

}  // namespace

std::size_t UaItemCache::Probe(std::string_view text, std::uint64_t hash,
                               const Entry** found) const {
  const auto check = static_cast<std::uint32_t>(hash >> 32);
  std::size_t i = hash & Mask();
  for (;; i = (i + 1) & Mask()) {
    const Slot slot = m_slots[i];
    if (slot.entry == 0) break;
    if (slot.check != check) continue;
    const Entry& e = m_entries[slot.entry - 1];
    if (e.keySize == text.size() && SameBytes(m_keys.data() + e.keyAt, text.data(), text.size())) {
      *found = &e;
      return i;
    }
  }
  *found = nullptr;
  return i;
}

CTag* UaItemCache::Find(std::string_view text, std::uint64_t version) {
  if (version != m_version) Forget(version);
  if (m_entries.empty()) return nullptr;
  const Entry* found = nullptr;
  Probe(text, HashText(text), &found);
  return found != nullptr ? found->tag : nullptr;
}

void UaItemCache::Insert(std::string_view text, CTag* tag, std::uint64_t version) {
  if (tag == nullptr || version != m_version) return;
  if (m_entries.size() >= kMaxEntries || m_keys.size() + text.size() > kMaxKeyBytes) {
    Forget(version);
  }
  if ((m_entries.size() + 1) * 10 > m_slots.size() * 7) Grow();
  const std::uint64_t hash = HashText(text);
  const Entry* found = nullptr;
  const std::size_t i = Probe(text, hash, &found);
  if (found != nullptr) return;
  m_entries.push_back({hash, tag, static_cast<std::uint32_t>(m_keys.size()),
                       static_cast<std::uint32_t>(text.size())});
  m_keys.append(text);
  m_slots[i] =
      Slot{static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(m_entries.size())};
}

void UaItemCache::Forget(std::uint64_t version) {
  m_version = version;
  if (m_entries.empty()) return;
  std::fill(m_slots.begin(), m_slots.end(), Slot{});
  m_entries.clear();
  m_keys.clear();
}

void UaItemCache::Grow() {
  m_slots.assign(m_slots.empty() ? 64 : m_slots.size() * 2, Slot{});
  for (std::size_t k = 0; k < m_entries.size(); ++k) {
    const std::uint64_t hash = m_entries[k].hash;
    std::size_t i = hash & Mask();
    while (m_slots[i].entry != 0) i = (i + 1) & Mask();
    m_slots[i] = Slot{static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(k + 1)};
  }
}
