// MembersVersion: one process-wide counter, raised without ordering of its own (the tree's
// lock orders it against the lookups that read it).
#include "project/members_version.h"

#include <atomic>

namespace {
std::atomic<std::uint64_t> g_membersVersion{0};
}  // namespace

std::uint64_t MembersVersion() {
  return g_membersVersion.load(std::memory_order_relaxed);
}

void RaiseMembersVersion() {
  g_membersVersion.fetch_add(1, std::memory_order_relaxed);
}
