// TelegramReception: the five bus events, the busmonitor line, values, listeners, pending reads.
#include "bus/telegram_reception.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "bus/bus_connection.h"
#include "bus/bus_views.h"
#include "bus/group_value_codec.h"
#include "bus/telegram_line_view.h"
#include "knx/apci_code.h"
#include "knx/priority_code.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/seconds_clock.h"
#include "project/dorazivaz_doc.h"
#include "project/group_lookup.h"
#include "project/group_node.h"

namespace {

constexpr std::size_t kMaxShownBytes = 40;

}  // namespace

void FormatTelegramData(const Variant& data, char (&text)[121]) {
  text[0] = '\0';
  if (data.vt() != (VT_ARRAY | VT_UI1)) return;
  const std::vector<std::uint8_t>& bytes = data.parray()->bytes;
  if (bytes.size() > kMaxShownBytes) return;
  char* out = text;
  for (std::uint8_t b : bytes) out += std::snprintf(out, 4, "%.2x ", b);
}

TelegramReception::TelegramReception(SecondsClock& clock) : m_clock(clock) {}

void TelegramReception::MonitorLine(std::int32_t groupAddress, std::int32_t eventNumber,
                                    std::int32_t priority, std::int32_t apci, const Variant& data,
                                    const char* errorText) {
  if (!m_monitor || m_monitor->Paused()) return;
  const SystemTime now = FileTimeToSystemTime(TimeStampNow());
  char time[32];
  std::snprintf(time, sizeof time, "%.2d:%.2d:%.2d.%.3d", now.hour, now.minute, now.second,
                now.milliseconds);
  char number[16];
  std::snprintf(number, sizeof number, "%d", eventNumber);
  char dataText[121];
  if (errorText)
    std::snprintf(dataText, sizeof dataText, "%s", errorText);
  else
    FormatTelegramData(data, dataText);
  m_monitor->AddTelegramLine(time, static_cast<std::uint16_t>(groupAddress), PriorityName(priority),
                             number, ApciName(apci), dataText, "Not yet");
}

GroupItem* TelegramReception::Find(std::int32_t groupAddress) const {
  if (!m_doc) return nullptr;
  const GroupNode& root = m_doc->Root();
  return FindItemByAddress(root, FormatGroupAddress(root, static_cast<GroupAddress>(groupAddress)));
}

void TelegramReception::Refresh(GroupItem& item) {
  if (m_views) m_views->RefreshItemRow(item);
}

void TelegramReception::Decode(const Variant& data, GroupItem& item) {
  DecodeGroupValue(m_doc->TagLock(), data, item);
  Refresh(item);
}

void TelegramReception::ServeListeners(const GroupItem& item, const Variant& data) {
  if (!m_doc->Settings().readLinks) return;
  const GroupNode& root = m_doc->Root();
  for (const std::string& address : item.m_listeners) {
    if (GroupItem* listener = FindItemByAddress(root, address)) Decode(data, *listener);
  }
}

void TelegramReception::MakeBad(GroupItem& item) {
  {
    std::lock_guard tagLock(m_doc->TagLock());
    item.m_value.Clear();
    item.m_quality = OPC_QUALITY_BAD;
    item.m_timestamp = TimeStampNow();
  }
  Refresh(item);
}

void TelegramReception::KeepAsLastUsable(GroupNode& node) {
  for (const auto& child : node.m_children) KeepAsLastUsable(*child);
  for (const auto& item : node.m_items) {
    if (item.get() == m_doc->FailedDevicesItem() || item.get() == m_doc->CheckDeviceItem())
      continue;
    {
      std::lock_guard tagLock(m_doc->TagLock());
      if (item->m_quality != OPC_QUALITY_GOOD) continue;
      item->m_quality = OPC_QUALITY_LAST_USABLE;
    }
    Refresh(*item);
  }
}

HRESULT TelegramReception::OnConnectionState(bool connected) {
  if (m_connection) m_connection->SetLinkUp(connected);
  if (connected) {
    Log(LogLevel::Notice, "The link to the bus interface is up again.");
    // What was sent on the bus meanwhile is lost: the items read at the start are read again
    // (when the initial read is on at all).
    if (m_doc && m_doc->Settings().initRead) m_doc->ReadFlaggedItems();
  } else {
    Log(LogLevel::Warning,
        "The link to the bus interface is down; reconnecting. Bus items keep "
        "their last values as uncertain.");
    if (m_doc && !m_doc->Simulation()) KeepAsLastUsable(m_doc->Root());
  }
  if (m_views) m_views->UpdateStatus();
  return S_OK;
}

HRESULT TelegramReception::OnGroupValueRead(std::int32_t groupAddress, std::int32_t eventNumber,
                                            std::int32_t priority, const Variant& data) {
  MonitorLine(groupAddress, eventNumber, priority, APciValueRead, data);
  return S_OK;
}

HRESULT TelegramReception::OnGroupValueWrite(std::int32_t groupAddress, std::int32_t eventNumber,
                                             std::int32_t priority, const Variant& data) {
  MonitorLine(groupAddress, eventNumber, priority, APciValueWrite, data);
  if (GroupItem* item = Find(groupAddress)) {
    Decode(data, *item);
    ServeListeners(*item, data);
  }
  return S_OK;
}

HRESULT TelegramReception::OnGroupValueResponse(std::int32_t groupAddress, std::int32_t eventNumber,
                                                std::int32_t priority, const Variant& data) {
  MonitorLine(groupAddress, eventNumber, priority, APciValueResponse, data);
  if (GroupItem* item = Find(groupAddress)) {
    // An answer can overtake the confirmation of the read that asked for it; remember it, so
    // that the confirmation does not start a wait for an answer that has already come.
    const bool wasPending = m_doc->Pending().Remove(*item);
    item->m_responseSeenAt = wasPending ? 0 : m_clock.Seconds();
    Decode(data, *item);
  }
  return S_OK;
}

HRESULT TelegramReception::OnReadConfirm(std::int32_t groupAddress, std::int32_t eventNumber,
                                         std::int32_t priority, std::int16_t error,
                                         const Variant& data) {
  MonitorLine(groupAddress, eventNumber, priority, APciValueRead, data,
              error ? "Read Error!" : nullptr);
  GroupItem* item = Find(groupAddress);
  if (!item) return S_OK;
  if (error) {
    MakeBad(*item);
    return S_OK;
  }
  m_doc->Pending().Remove(*item);
  const std::int64_t now = m_clock.Seconds();
  const bool answered = item->m_responseSeenAt != 0 && now - item->m_responseSeenAt <= 1;
  item->m_responseSeenAt = 0;
  if (answered) return S_OK;
  m_doc->Pending().Add(*item, now + m_doc->Settings().responseTimeout);
  return S_OK;
}

HRESULT TelegramReception::OnWriteConfirm(std::int32_t groupAddress, std::int32_t eventNumber,
                                          std::int32_t priority, std::int16_t error,
                                          const Variant& data) {
  MonitorLine(groupAddress, eventNumber, priority, APciValueWrite, data,
              error ? "Write Error!" : nullptr);
  GroupItem* item = Find(groupAddress);
  if (!item) return S_OK;
  if (error) {
    MakeBad(*item);
    return S_OK;
  }
  Decode(data, *item);
  ServeListeners(*item, data);
  return S_OK;
}
