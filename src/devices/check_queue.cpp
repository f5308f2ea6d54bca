// CheckQueue: appending, taking and testing the document's check queue under its lock.
#include "devices/check_queue.h"

#include <mutex>

#include "project/dorazivaz_doc.h"

void QueueDeviceCheck(CDORAzivazDoc& doc, const std::string& address) {
  std::lock_guard lock(doc.CheckQueueLock());
  doc.CheckQueue().push_back(address);
}

std::optional<std::string> TakeQueuedCheck(CDORAzivazDoc& doc) {
  std::lock_guard lock(doc.CheckQueueLock());
  auto& queue = doc.CheckQueue();
  if (queue.empty()) return std::nullopt;
  std::string address = std::move(queue.front());
  queue.pop_front();
  return address;
}

bool CheckQueueEmpty(CDORAzivazDoc& doc) {
  std::lock_guard lock(doc.CheckQueueLock());
  return doc.CheckQueue().empty();
}
