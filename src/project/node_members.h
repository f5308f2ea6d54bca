// NodeMembers: a group node's ordered child nodes or items, indexed by name ignoring case.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/equal_no_case.h"
#include "project/members_version.h"
#include "project/name_hash_table.h"

// The name a member is found by comes from IndexedName(const T&), declared beside T.
// Owns its members in insertion order and finds the first member of a name, compared without
// regard to case, without walking the list: item ID lookups run for every value a client
// reads, under the tag lock. Reading works like a vector of unique_ptr (iteration, size,
// indexing); every change goes through the operations below, which keep the index right:
// the index holds, for each name, the member of that name that comes first in the list.
template <typename T>
class NodeMembers {
  using List = std::vector<std::unique_ptr<T>>;

 public:
  using value_type = std::unique_ptr<T>;
  using const_iterator = typename List::const_iterator;
  using iterator = const_iterator;  // members are never replaced in place

  NodeMembers() = default;
  NodeMembers(const NodeMembers&) = delete;
  NodeMembers& operator=(const NodeMembers&) = delete;
  ~NodeMembers() {
    if (!m_list.empty()) RaiseMembersVersion();
  }

  const_iterator begin() const { return m_list.begin(); }
  const_iterator end() const { return m_list.end(); }
  std::size_t size() const { return m_list.size(); }
  bool empty() const { return m_list.empty(); }
  const std::unique_ptr<T>& operator[](std::size_t i) const { return m_list[i]; }
  const std::unique_ptr<T>& at(std::size_t i) const { return m_list.at(i); }
  const std::unique_ptr<T>& front() const { return m_list.front(); }
  const std::unique_ptr<T>& back() const { return m_list.back(); }

  // The first member whose name equals `name` without regard to case; null when none.
  T* Find(std::string_view name) const { return m_index.Find(name); }

  // Appends a member; it is found by its name unless an earlier member has that name.
  T& push_back(std::unique_ptr<T> member) {
    T& added = *member;
    RaiseMembersVersion();
    m_list.push_back(std::move(member));
    m_index.Insert(&added);  // no effect when an earlier member holds the name
    return added;
  }

  // Inserts a member before `pos` (an undone removal puts it back where it was); it is found
  // by its name when no earlier member has that name.
  T& insert(const_iterator pos, std::unique_ptr<T> member) {
    T& added = *member;
    RaiseMembersVersion();
    m_list.insert(pos, std::move(member));
    Reindex(IndexedName(added));
    return added;
  }

  // Takes `member` out of the list; null when it is not a member. The caller destroys it, so
  // that its destruction meets an index that no longer knows it.
  std::unique_ptr<T> Take(const T& member) {
    auto it = std::find_if(m_list.begin(), m_list.end(),
                           [&](const std::unique_ptr<T>& m) { return m.get() == &member; });
    if (it == m_list.end()) return nullptr;
    RaiseMembersVersion();
    std::unique_ptr<T> taken = std::move(*it);
    m_list.erase(it);
    Unindex(*taken);
    Reindex(IndexedName(*taken));
    return taken;
  }

  // Removes and destroys the member at `pos`; returns the position after it.
  const_iterator erase(const_iterator pos) {
    const std::size_t at = static_cast<std::size_t>(pos - m_list.begin());
    std::unique_ptr<T> taken = Take(**pos);
    return m_list.begin() + static_cast<std::ptrdiff_t>(at);
  }

  // Removes and destroys, in list order, every member for which `pred` is true; the rest keep
  // their order. Returns how many were removed.
  template <typename Pred>
  std::size_t EraseIf(Pred pred) {
    std::vector<std::unique_ptr<T>> removed;
    for (std::size_t i = 0; i < m_list.size();) {
      if (pred(m_list[i])) {
        removed.push_back(Take(*m_list[i]));
      } else {
        ++i;
      }
    }
    return removed.size();
  }

  // Empties the list and the index and hands the members over, so that the caller destroys
  // them while nothing can find them any more.
  List TakeAll() {
    RaiseMembersVersion();
    m_index.Clear();
    List all = std::move(m_list);
    m_list.clear();
    return all;
  }

  // Destroys every member in list order.
  void clear() { TakeAll().clear(); }

  // Changes the name of `member` through `rename`, which must change nothing but the name
  // that IndexedName returns. Works for a member or not (a member still being made).
  template <typename Change>
  void Rename(T& member, Change rename) {
    RaiseMembersVersion();
    Unindex(member);
    const std::string oldName = IndexedName(member);
    rename();
    Reindex(oldName);
    Reindex(IndexedName(member));
  }

 private:
  // Drops `member` from the index if it is the one found by its name.
  void Unindex(const T& member) {
    if (m_index.Find(IndexedName(member)) == &member) m_index.Erase(IndexedName(member));
  }

  // Makes the first member of `name` in list order the one found by it (none when there is
  // none). Walks the list: only removals and renames come here.
  void Reindex(std::string_view name) {
    m_index.Erase(name);
    for (const auto& m : m_list) {
      if (EqualNoCase(IndexedName(*m), name)) {
        m_index.Insert(m.get());
        return;
      }
    }
  }

  List m_list;
  NameHashTable<T> m_index;
};
