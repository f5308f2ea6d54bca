// Request scheduling: the read merge and the write overtaking of the request queue.
#include "bus/request_scheduling.h"

#include <algorithm>
#include <mutex>

#include "bus/row_refresh_queue.h"
#include "platform/clock.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"

namespace {

bool IsReadOf(const BusRequest& request, const GroupItem& item) {
  return request.kind == kRequestRead && request.item == &item;
}

bool IsInitialRead(const BusRequest& request) {
  return request.kind == kRequestRead && request.initial != 0;
}

// Walks the queue from the head: the first read of the same item either takes the new
// request's initial flag (the new request is dropped) or, when the new request was already
// put before an initial read, goes itself; an ordinary read goes before the first initial read.
void MergeRead(RequestQueue& queue, BusRequest request) {
  auto inserted = queue.end();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (IsReadOf(*it, *request.item)) {
      if (inserted != queue.end())
        queue.erase(it);
      else
        it->initial = request.initial;
      return;
    }
    if (request.initial == 0 && IsInitialRead(*it) && inserted == queue.end())
      inserted = queue.insert(it, std::move(request));
  }
  if (inserted == queue.end()) queue.push_back(std::move(request));
}

}  // namespace

void QueueReadRequest(CDORAzivazDoc& doc, GroupItem& item) {
  if (doc.Simulation()) return;
  BusRequest request{&item, kRequestRead, doc.InitialReadRunning() ? 1 : 0, {}};
  std::lock_guard lock(doc.QueueLock());
  RequestQueue& queue = doc.Requests();
  if (doc.Settings().readStrategy == 1 && !queue.empty())
    MergeRead(queue, std::move(request));
  else
    queue.push_back(std::move(request));
}

HRESULT QueueWriteRequest(CDORAzivazDoc& doc, GroupItem& item, const Variant& value,
                          RowRefreshQueue& rows) {
  if (doc.Simulation()) {
    {
      std::lock_guard tagLock(doc.TagLock());
      item.m_written = 1;
      item.m_timestamp = TimeStampNow();
      item.m_value.Clear();
      if (value.vt() == item.m_nativeDataType) {
        item.m_value = value;
        item.m_quality = OPC_QUALITY_GOOD;
      } else {
        item.m_quality = OPC_QUALITY_BAD;
      }
    }
    rows.Refresh(item);
    return S_OK;
  }
  BusRequest request{&item, kRequestWrite, 0, value};
  std::lock_guard lock(doc.QueueLock());
  RequestQueue& queue = doc.Requests();
  auto at = queue.end();
  if (doc.Settings().writeStrategy == 1)
    at = std::find_if(queue.begin(), queue.end(),
                      [](const BusRequest& r) { return r.kind == kRequestRead; });
  queue.insert(at, std::move(request));
  return S_OK;
}
