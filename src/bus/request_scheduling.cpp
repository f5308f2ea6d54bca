// Request scheduling: group reads and writes into the request queue, or stored in simulation.
#include "bus/request_scheduling.h"

#include <chrono>
#include <mutex>
#include <string>

#include "bus/row_refresh_queue.h"
#include "platform/clock.h"
#include "platform/hresult.h"
#include "platform/log.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"

void QueueReadRequest(CDORAzivazDoc& doc, GroupItem& item) {
  if (doc.Simulation()) return;
  BusRequest request{&item, kRequestRead, doc.InitialReadRunning() ? 1 : 0, {}};
  doc.Requests().AddRead(std::move(request), doc.Settings().readStrategy == 1);
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
  // A write that finds the queue full is refused, so that its client learns of it; reads are
  // merged per item and initial reads must all reach the bus, so only writes are bounded.
  if (doc.Requests().Size() >= static_cast<std::size_t>(doc.Settings().maxQueuedRequests)) {
    static LogRateLimit fullQueueLog(5, std::chrono::seconds(10));
    fullQueueLog.Log(LogLevel::Warning, "bus request queue full (MaxQueuedRequests " +
                                            std::to_string(doc.Settings().maxQueuedRequests) +
                                            "): write to " + item.m_itemId + " refused");
    return E_OUTOFMEMORY;
  }
  BusRequest request{&item, kRequestWrite, 0, value};
  doc.Requests().AddWrite(std::move(request), doc.Settings().writeStrategy == 1);
  return S_OK;
}
