// NameHashTable: an open-addressing table of members found by their name, case ignored.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "project/equal_no_case.h"

// At most one member per name (EqualNoCase); a member's name comes from IndexedName(const T&),
// declared beside T, and must not change while the member is in the table. Each slot keeps
// the name's hash beside the member, so that a probe compares names only when the hashes
// agree: a lookup reads the slot array and the one member it finds, nothing else. Linear
// probing, removal by shifting the following entries back (no tombstones).
template <typename T>
class NameHashTable {
 public:
  T* Find(std::string_view name) const {
    if (m_slots.empty()) return nullptr;
    const std::size_t hash = HashNoCase(name);
    for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = m_slots[i];
      if (!slot.member) return nullptr;
      if (slot.hash == hash && EqualNoCase(IndexedName(*slot.member), name)) return slot.member;
    }
  }

  // Adds `member` unless a member of its name is in the table already.
  void Insert(T* member) {
    if ((m_count + 1) * 10 > m_slots.size() * 7) Grow();
    Place({HashNoCase(IndexedName(*member)), member});
  }

  // Removes the member of `name`, if any.
  void Erase(std::string_view name) {
    if (m_slots.empty()) return;
    const std::size_t hash = HashNoCase(name);
    std::size_t i = hash & Mask();
    for (;; i = (i + 1) & Mask()) {
      const Slot& slot = m_slots[i];
      if (!slot.member) return;
      if (slot.hash == hash && EqualNoCase(IndexedName(*slot.member), name)) break;
    }
    // Shift back each following entry whose home slot does not lie between the hole and it,
    // so that every entry stays reachable from its home slot without a gap.
    for (std::size_t j = (i + 1) & Mask(); m_slots[j].member; j = (j + 1) & Mask()) {
      const std::size_t home = m_slots[j].hash & Mask();
      const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (!stays) {
        m_slots[i] = m_slots[j];
        i = j;
      }
    }
    m_slots[i] = Slot{};
    --m_count;
  }

  void Clear() {
    m_slots.clear();
    m_count = 0;
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    T* member = nullptr;  // null: empty
  };

  std::size_t Mask() const { return m_slots.size() - 1; }

  void Place(const Slot& entry) {
    for (std::size_t i = entry.hash & Mask();; i = (i + 1) & Mask()) {
      Slot& slot = m_slots[i];
      if (!slot.member) {
        slot = entry;
        ++m_count;
        return;
      }
      if (slot.hash == entry.hash &&
          EqualNoCase(IndexedName(*slot.member), IndexedName(*entry.member))) {
        return;
      }
    }
  }

  // Doubles the slots (eight at first; always a power of two) and places the entries again.
  void Grow() {
    std::vector<Slot> old(m_slots.empty() ? 8 : m_slots.size() * 2);
    old.swap(m_slots);
    m_count = 0;
    for (const Slot& slot : old) {
      if (slot.member) Place(slot);
    }
  }

  std::vector<Slot> m_slots;
  std::size_t m_count = 0;
};
