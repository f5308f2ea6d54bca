// MembersVersion: a count of the changes to group nodes' members, for caches of lookups.
#pragma once

#include <cstdint>

// Raised by every addition, removal and rename of a child node or item of any group node in
// the process (NodeMembers does it), so under the lock that guards the tree being changed. A
// cache of item ID lookups that saw the same count under that lock may trust what it found:
// no name changed and no member it found has been taken out, let alone destroyed.
std::uint64_t MembersVersion();
void RaiseMembersVersion();
