// UaSubscription: sampling, notification messages and the retransmission queue.
#include "toolkit/opcua/ua_subscription.h"

#include <algorithm>
#include <cmath>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_header.h"

void UaSubscription::Revise(double intervalMs, std::uint32_t lifetime, std::uint32_t keepAlive,
                            double minIntervalMs, double maxLifetimeMs) {
  if (!std::isfinite(intervalMs) || intervalMs < minIntervalMs) intervalMs = minIntervalMs;
  publishingIntervalMs = std::min(intervalMs, 3600000.0);
  // Publishing cycles in a span of time, at least one.
  auto cycles = [&](double ms) {
    return static_cast<std::uint32_t>(std::clamp(ms / publishingIntervalMs, 1.0, 1e9));
  };
  maxKeepAliveCount =
      std::clamp<std::uint32_t>(keepAlive, 1, std::min(10000u, cycles(maxLifetimeMs / 3)));
  // The lifetime must cover at least three keep-alive periods; a client that stops publishing
  // loses the subscription, and what it sampled, within the server's longest lifetime.
  lifetimeCount = std::clamp(lifetime, 3 * maxKeepAliveCount,
                             std::max(3 * maxKeepAliveCount, cycles(maxLifetimeMs)));
}

std::uint32_t UaSubscription::TakeSequenceNumber() {
  std::uint32_t n = m_nextSequenceNumber++;
  if (m_nextSequenceNumber == 0) m_nextSequenceNumber = 1;  // 0 is never used
  return n;
}

std::ptrdiff_t UaSubscription::SampleDue(UaAddressSpace& space, std::int64_t nowMs,
                                         std::size_t room) {
  std::ptrdiff_t grown = 0;
  for (auto& [id, item] : items) {
    if (item->nextSampleMs > nowMs) continue;
    UaMonitoredItem::SampleResult sample =
        item->Sample(space, grown < static_cast<std::ptrdiff_t>(room));
    grown += sample.grown;
    if (sample.changed && item->mode == UaMonitoringMode::Reporting) Trigger(*item);
    auto step = std::max<std::int64_t>(1, std::llround(item->samplingIntervalMs));
    item->nextSampleMs += step;
    if (item->nextSampleMs <= nowMs) item->nextSampleMs = nowMs + step;
  }
  return grown;
}

std::size_t UaSubscription::QueuedNotifications() const {
  std::size_t n = 0;
  for (const auto& [id, item] : items) n += item->QueuedCount();
  return n;
}

void UaSubscription::Trigger(const UaMonitoredItem& item) {
  for (std::uint32_t id : item.triggers) {
    auto it = items.find(id);
    if (it != items.end()) it->second->triggered = true;
  }
}

std::int64_t UaSubscription::NextDueMs() const {
  std::int64_t next = nextPublishMs;
  for (const auto& [id, item] : items) {
    if (item->mode != UaMonitoringMode::Disabled) next = std::min(next, item->nextSampleMs);
  }
  return next;
}

bool UaSubscription::HasNotifications() const {
  for (const auto& [id, item] : items) {
    if (item->Reports() && item->HasNotifications()) return true;
  }
  return false;
}

std::size_t UaSubscription::WriteNotificationMessage(UaBinaryWriter& w, bool keepAlive,
                                                     bool& more) {
  more = false;
  if (keepAlive) {
    w.UInt32(m_nextSequenceNumber);
    w.DateTime(UaNow());
    w.ArrayLength(0);
    return 0;
  }
  std::uint32_t count = 0;
  std::vector<std::uint8_t> message;
  UaBinaryWriter m(message);
  std::uint32_t sequence = TakeSequenceNumber();
  m.UInt32(sequence);
  m.DateTime(UaNow());
  m.ArrayLength(1);
  m.ExtensionObjectWith(ua_id::DataChangeNotification, [&] {
    std::size_t countAt = m.Size();
    m.Int32(0);
    for (auto& [id, item] : items) {
      if (!item->Reports()) continue;
      while (item->HasNotifications()) {
        if (maxNotificationsPerPublish != 0 && count >= maxNotificationsPerPublish) {
          more = true;
          break;
        }
        UaDataValue dv = item->TakeNotification();
        if (item->timestamps == UaTimestampsToReturn::Server ||
            item->timestamps == UaTimestampsToReturn::Neither) {
          dv.hasSourceTimestamp = false;
        }
        if (item->timestamps == UaTimestampsToReturn::Server ||
            item->timestamps == UaTimestampsToReturn::Both) {
          dv.hasServerTimestamp = true;
          dv.serverTimestamp = UaNow();
        }
        m.UInt32(item->clientHandle);
        m.DataValue(dv);
        ++count;
      }
      if (!item->HasNotifications()) item->triggered = false;
      if (more) break;
    }
    m.PatchUInt32(countAt, count);
    m.ArrayLength(0);  // diagnostic infos
  });
  w.Raw(message.data(), message.size());
  m_retransmission.push_back({sequence, std::move(message)});
  if (m_retransmission.size() > kKeptMessages) m_retransmission.pop_front();
  return count;
}

void UaSubscription::WriteStatusChange(UaBinaryWriter& w, UaStatusCode status) {
  w.UInt32(TakeSequenceNumber());
  w.DateTime(UaNow());
  w.ArrayLength(1);
  w.ExtensionObjectWith(ua_id::StatusChangeNotification, [&] {
    w.UInt32(status);
    w.EmptyDiagnosticInfo();
  });
}

void UaSubscription::WriteAvailableSequenceNumbers(UaBinaryWriter& w) const {
  w.ArrayLength(m_retransmission.size());
  for (const Sent& s : m_retransmission) w.UInt32(s.sequenceNumber);
}

UaStatusCode UaSubscription::Acknowledge(std::uint32_t sequenceNumber) {
  auto it = std::find_if(m_retransmission.begin(), m_retransmission.end(),
                         [&](const Sent& s) { return s.sequenceNumber == sequenceNumber; });
  if (it == m_retransmission.end()) return ua_status::BadSequenceNumberUnknown;
  m_retransmission.erase(it);
  return ua_status::Good;
}

const std::vector<std::uint8_t>* UaSubscription::Retransmission(
    std::uint32_t sequenceNumber) const {
  for (const Sent& s : m_retransmission) {
    if (s.sequenceNumber == sequenceNumber) return &s.message;
  }
  return nullptr;
}
