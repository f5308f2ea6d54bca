// PendingReads: adding, removing and sweeping the awaited answers under the pending lock.
#include "project/pending_reads.h"

#include "project/group_item.h"

void PendingReads::Add(GroupItem& item, std::int64_t deadline) {
  std::lock_guard lock(m_lock);
  m_items.push_back(&item);
  item.m_responseDeadline = deadline;
}

bool PendingReads::Remove(const GroupItem& item) {
  std::lock_guard lock(m_lock);
  return std::erase(m_items, &item) != 0;
}

GroupItem* PendingReads::TakeOverdue(std::int64_t now) {
  std::lock_guard lock(m_lock);
  if (m_items.empty() || m_items.front()->m_responseDeadline >= now) return nullptr;
  GroupItem* item = m_items.front();
  m_items.erase(m_items.begin());
  return item;
}

void PendingReads::Clear() {
  std::lock_guard lock(m_lock);
  m_items.clear();
}

bool PendingReads::Empty() const {
  std::lock_guard lock(m_lock);
  return m_items.empty();
}

std::size_t PendingReads::Size() const {
  std::lock_guard lock(m_lock);
  return m_items.size();
}

std::vector<GroupItem*> PendingReads::Items() const {
  std::lock_guard lock(m_lock);
  return m_items;
}
