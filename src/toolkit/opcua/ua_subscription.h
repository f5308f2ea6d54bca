// UaSubscription: monitored items, the publishing cycle's counters and the retransmission queue.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_monitored_item.h"

class UaSubscription {
 public:
  // Sent messages kept for Republish until acknowledged; older ones are dropped.
  static constexpr std::size_t kKeptMessages = 32;

  UaSubscription(std::uint32_t id, std::int64_t nowMs) : nextPublishMs(nowMs), m_id(id) {}

  std::uint32_t Id() const { return m_id; }

  // Sets interval and counters from the client's request, revised to the server's limits.
  void Revise(double intervalMs, std::uint32_t lifetimeCount, std::uint32_t maxKeepAliveCount,
              double minIntervalMs, double maxLifetimeMs);

  // Samples the items that are due (the caller holds the tag lock when any item has a tag);
  // at most `room` more notifications may be queued. Returns how many more are queued.
  std::ptrdiff_t SampleDue(UaAddressSpace& space, std::int64_t nowMs, std::size_t room);
  // Notifications queued in all items.
  std::size_t QueuedNotifications() const;
  std::int64_t NextDueMs() const;
  // A reporting item queued a notification: the items it triggers report their queues too.
  void Trigger(const UaMonitoredItem& item);
  bool HasNotifications() const;

  // Writes a NotificationMessage: queued data changes (at most maxNotificationsPerPublish, then
  // `more` is set) under a new sequence number, kept for Republish; or, for a keep-alive, no
  // data and the next sequence number without using it up. Returns the notifications taken.
  std::size_t WriteNotificationMessage(UaBinaryWriter& w, bool keepAlive, bool& more);
  // A StatusChangeNotification (the subscription timed out) under a new sequence number.
  void WriteStatusChange(UaBinaryWriter& w, UaStatusCode status);
  void WriteAvailableSequenceNumbers(UaBinaryWriter& w) const;
  UaStatusCode Acknowledge(std::uint32_t sequenceNumber);
  // The encoded NotificationMessage kept for `sequenceNumber`, or null.
  const std::vector<std::uint8_t>* Retransmission(std::uint32_t sequenceNumber) const;

  std::map<std::uint32_t, std::unique_ptr<UaMonitoredItem>> items;
  std::uint32_t nextItemId = 1;
  bool anyTagItems = false;

  double publishingIntervalMs = 1000;
  std::uint32_t lifetimeCount = 10000;
  std::uint32_t maxKeepAliveCount = 10;
  std::uint32_t maxNotificationsPerPublish = 0;  // 0: no limit
  bool publishingEnabled = true;
  std::uint8_t priority = 0;

  std::int64_t nextPublishMs;
  std::uint32_t keepAliveCounter = 0;
  std::uint32_t lifetimeCounter = 0;
  bool late = false;  // a message is due but no Publish request was waiting

 private:
  struct Sent {
    std::uint32_t sequenceNumber;
    std::vector<std::uint8_t> message;
  };
  std::uint32_t TakeSequenceNumber();

  std::uint32_t m_id;
  std::uint32_t m_nextSequenceNumber = 1;
  std::deque<Sent> m_retransmission;
};
