// CheckQueue: the addresses waiting for an immediate device check, first in first out.
#pragma once

#include <optional>
#include <string>

class CDORAzivazDoc;

// Each takes the check queue lock for itself; callers may hold the device list lock and the
// tag lock, never the failed list lock.
void QueueDeviceCheck(CDORAzivazDoc& doc, const std::string& address);
std::optional<std::string> TakeQueuedCheck(CDORAzivazDoc& doc);
bool CheckQueueEmpty(CDORAzivazDoc& doc);
