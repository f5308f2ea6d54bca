// BusWorker: the loop of the bus worker thread, the sweep, and the sending of one request.
#include "bus/bus_worker.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "bus/bus_connection.h"
#include "bus/bus_value_coding.h"
#include "bus/group_value_codec.h"
#include "bus/row_refresh_queue.h"
#include "bus/simulation.h"
#include "knx/bus_errors.h"
#include "knx/group_value_service.h"
#include "platform/auto_reset_event.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/prompt.h"
#include "platform/seconds_clock.h"
#include "project/dorazivaz_doc.h"
#include "project/group_address.h"
#include "project/group_item.h"

namespace {

std::uint32_t Milliseconds(std::int32_t setting) {
  return setting > 0 ? static_cast<std::uint32_t>(setting) : 0;
}

}  // namespace

BusWorker::BusWorker(CDORAzivazDoc& doc, BusConnection& connection, SecondsClock& clock,
                     RowRefreshQueue& rows, Simulation& simulation)
    : m_doc(doc),
      m_connection(connection),
      m_clock(clock),
      m_rows(rows),
      m_simulation(simulation) {}

void BusWorker::Run() {
  AutoResetEvent& quit = *m_doc.BusWorkerQuitEvent();
  for (;;) {
    const std::uint32_t pause = Step();
    if (quit.Wait(pause) && !OnWake()) return;
  }
}

bool BusWorker::OnWake() {
  // The restart flag is read before the proxy flag is cleared: SwitchInterface clears the
  // restart flag only after it saw the proxy flag clear.
  const bool restart = m_connection.Restarting();
  m_connection.DropGroupProxy();
  m_service.reset();
  return restart || !m_doc.Stopping();
}

std::uint32_t BusWorker::Step() {
  if (m_doc.Simulation()) {
    m_simulation.Tick();
    m_rows.UpdateStatus();
    return Milliseconds(m_doc.Settings().simulationSpeed);
  }
  Sweep();
  if (m_connection.GroupStreamReady()) {
    if (auto service = m_connection.TakeGroupStream()) m_service = std::move(service);
  }

  std::optional<BusRequest> request = m_doc.Requests().TakeNext();
  if (!request) return Milliseconds(m_doc.Settings().readSpeed);
  m_rows.UpdateStatus();
  const std::uint32_t pause = Serve(*request);
  m_doc.Requests().Done();
  return pause;
}

void BusWorker::Sweep() {
  const std::int64_t now = m_clock.Seconds();
  while (!m_doc.Stopping()) {
    // The tag lock is taken first (the permitted order): an item cannot die between leaving
    // the list and being made bad.
    std::lock_guard tagLock(m_doc.TagLock());
    GroupItem* item = m_doc.Pending().TakeOverdue(now);
    if (item == nullptr) return;
    item->m_value.Clear();
    item->m_timestamp = TimeStampNow();
    item->m_quality = OPC_QUALITY_BAD;
    m_rows.Refresh(*item);
  }
}

std::uint32_t BusWorker::InitialPause() const {
  const DocumentSettings& settings = m_doc.Settings();
  switch (settings.initSpeedCombobox) {
    case 0:
      return Milliseconds(settings.initSpeedSlow);
    case 1:
      return Milliseconds(settings.initSpeedMedium);
    case 2:
      return Milliseconds(settings.initSpeedFast);
    default:
      return Milliseconds(settings.readSpeed);
  }
}

std::uint32_t BusWorker::Serve(BusRequest& request) {
  const bool read = request.kind == kRequestRead;
  std::uint32_t pause = Milliseconds(m_doc.Settings().readSpeed);
  if (read && request.initial) pause = InitialPause();
  if (!m_service) return pause;

  // What the send needs is read under the tag lock; the send itself runs without any lock.
  Variant address;
  Variant data;
  std::int32_t priority = 0;
  std::int32_t shortForm = 0;
  {
    std::lock_guard tagLock(m_doc.TagLock());
    if (m_doc.Requests().ServedItemGone()) return pause;
    const GroupItem& item = *request.item;
    char number[16];
    std::snprintf(number, sizeof number, "%ld",
                  static_cast<long>(ParseGroupAddress(item.m_addressText)));
    address = Variant::Bstr(AnsiToUtf16(number));
    priority = item.m_priority;
    if (!read) {
      data = EncodeGroupValue(m_doc.TagLock(), item, request.value);
      shortForm = UsesShortForm(CodingOf(item)) ? -1 : 0;
    }
  }

  std::int32_t writeError = 0;
  Prompt& prompt = m_doc.GetPrompt();
  if (read) {
    const HRESULT hr = m_service->ReadGroupValue(address, priority, kRoutingCounter, &writeError);
    if (Failed(hr))
      prompt.Show(kMsgReadCallFailed, HresultInsert(hr));
    else if (writeError != 0)
      prompt.Show(kMsgReadNotSent, DeviceWriteErrorName(writeError));
    return pause;
  }
  const HRESULT hr =
      m_service->WriteGroupValue(address, priority, kRoutingCounter, shortForm, data, &writeError);
  if (Failed(hr))
    prompt.Show(kMsgWriteCallFailed, HresultInsert(hr));
  else if (writeError != 0)
    prompt.Show(kMsgWriteNotSent, DeviceWriteErrorName(writeError));
  return Milliseconds(m_doc.Settings().writeSpeed);
}
