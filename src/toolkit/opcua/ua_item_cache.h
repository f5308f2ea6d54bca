// UaItemCache: the tags that item node IDs found, by the exact text of the ID.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CTag;

// A client reads the same IDs again and again; finding one here costs a hash of its text and
// one comparison, where the callback walks the name space a component at a time, ignoring
// case. Every entry belongs to the name space version it was found at: a Find under another
// version forgets them all. Used under the callback's tag lock, which also guards the version.
class UaItemCache {
 public:
  // The tag `text` found at `version`; null when it was not found yet.
  CTag* Find(std::string_view text, std::uint64_t version);
  // Remembers what `text` found; `version` is the one of the Find that missed.
  void Insert(std::string_view text, CTag* tag, std::uint64_t version);

  std::size_t Size() const { return m_entries.size(); }

 private:
  // The entries in the order they came, which is the order clients keep asking in: a Read of
  // the same IDs again walks them front to back. The slots, small and few, only lead there.
  struct Entry {
    std::uint64_t hash = 0;
    CTag* tag = nullptr;
    std::uint32_t keyAt = 0;
    std::uint32_t keySize = 0;
  };
  struct Slot {
    std::uint32_t check = 0;  // the high half of the entry's hash
    std::uint32_t entry = 0;  // its index plus one; 0: empty
  };

  // The entry of `text` (with `hash`), or the empty slot where it would go.
  std::size_t Probe(std::string_view text, std::uint64_t hash, const Entry** found) const;
  void Forget(std::uint64_t version);
  void Grow();
  std::size_t Mask() const { return m_slots.size() - 1; }

  std::vector<Entry> m_entries;
  std::vector<Slot> m_slots;  // open addressing, a power of two long
  std::string m_keys;         // the texts of the entries, one after the other
  std::uint64_t m_version = 0;
};
