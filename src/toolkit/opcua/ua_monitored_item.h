// UaMonitoredItem: one monitored attribute of a subscription, sampled at its interval and
// queueing the changes it sees.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "platform/variant.h"
#include "toolkit/c_tag.h"
#include "toolkit/opcua/ua_data_change_filter.h"
#include "toolkit/opcua/ua_types.h"

class UaAddressSpace;

enum class UaMonitoringMode : std::uint32_t { Disabled = 0, Sampling = 1, Reporting = 2 };
enum class UaTimestampsToReturn : std::uint32_t { Source = 0, Server = 1, Both = 2, Neither = 3 };

class UaMonitoredItem {
 public:
  UaMonitoredItem(std::uint32_t id, UaNodeId nodeId, std::uint32_t attributeId, CTag* tag);
  ~UaMonitoredItem();
  UaMonitoredItem(const UaMonitoredItem&) = delete;
  UaMonitoredItem& operator=(const UaMonitoredItem&) = delete;

  std::uint32_t Id() const { return m_id; }
  bool HasTag() const { return m_tag != nullptr; }
  CTag* Tag() const { return m_tag; }
  std::uint32_t AttributeId() const { return m_attributeId; }

  // What a sample did: whether the watched state changed (beyond the deadband) and a
  // notification was queued, and by how much the queue grew (zero when the new value displaced
  // a queued one).
  struct SampleResult {
    bool changed = false;
    std::ptrdiff_t grown = 0;
  };
  // Samples now and queues a notification when the watched state changed since the last
  // sample. Items with a tag compare its fields in place (the caller holds the tag lock) and
  // copy nothing unless something changed; other items read through the address space.
  // When the name space changed shape, an item whose node no longer names its tag (the item
  // was deleted or renamed) lets the tag go and from then on reads through the address space:
  // it reports Bad_NodeIdUnknown at once, and the value again should the node come back.
  // Without `mayGrow` (the session's or server's queues are full) nothing is sampled and a
  // change is seen by a later sample.
  SampleResult Sample(UaAddressSpace& space, bool mayGrow = true);
  // Queues the current state whether it changed or not (ResendData, a transfer's initial
  // values).
  SampleResult Resend(UaAddressSpace& space, bool mayGrow = true);
  bool HasNotifications() const { return QueuedCount() != 0; }
  // Whether the next notification message carries this item's queue: in reporting mode, or
  // in sampling mode once a triggering item reported.
  bool Reports() const {
    return mode == UaMonitoringMode::Reporting || (mode == UaMonitoringMode::Sampling && triggered);
  }
  std::size_t QueuedCount() const { return m_queue.size() - m_head; }
  // Takes the oldest queued value.
  UaDataValue TakeNotification();

  std::uint32_t clientHandle = 0;
  UaMonitoringMode mode = UaMonitoringMode::Reporting;
  double samplingIntervalMs = 0;
  std::int64_t nextSampleMs = 0;
  std::uint32_t queueSize = 1;
  bool discardOldest = true;
  UaDataChangeTrigger trigger = kDefaultDataChangeTrigger;
  double deadband = -1;  // absolute; negative: none
  UaTimestampsToReturn timestamps = UaTimestampsToReturn::Both;
  // SetTriggering: the items this one triggers when it reports, and whether a triggering item
  // has reported since this one's queue was last sent.
  std::set<std::uint32_t> triggers;
  bool triggered = false;

 private:
  // Queues `value`, dropping one by the discard policy when the queue is full.
  std::ptrdiff_t Enqueue(UaDataValue value);

  std::uint32_t m_id;
  UaNodeId m_nodeId;
  std::uint32_t m_attributeId;
  CTag* m_tag;  // with a client reference while the item lives and its node names it
  // The name space's version when the node was last found to name the tag.
  std::uint64_t m_nameSpaceVersion = ~std::uint64_t{0};
  bool m_sampled = false;
  Variant m_lastValue;
  std::uint16_t m_lastQuality = 0;
  FileTime m_lastTimestamp;
  std::unique_ptr<UaDataValue> m_lastGeneric;  // items without a tag only
  // Oldest first from m_head: taking or dropping the oldest moves m_head (O(1)); the taken
  // entries are compacted away once they are half of the vector. Freed when emptied, so that
  // an idle item holds no queue memory.
  std::vector<UaDataValue> m_queue;
  std::size_t m_head = 0;
};
