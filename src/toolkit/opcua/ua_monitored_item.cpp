// UaMonitoredItem: sampling and the notification queue.
#include "toolkit/opcua/ua_monitored_item.h"

#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_header.h"

UaMonitoredItem::UaMonitoredItem(std::uint32_t id, UaNodeId nodeId, std::uint32_t attributeId,
                                 CTag* tag)
    : m_id(id), m_nodeId(std::move(nodeId)), m_attributeId(attributeId), m_tag(tag) {}

UaMonitoredItem::~UaMonitoredItem() {
  if (m_tag != nullptr) m_tag->Release();
}

UaMonitoredItem::SampleResult UaMonitoredItem::Sample(UaAddressSpace& space, bool mayGrow) {
  // Without room to queue, a change stays unseen (and costs nothing) until there is room.
  if (mode == UaMonitoringMode::Disabled || !mayGrow) return {};
  if (m_tag != nullptr) {
    const std::uint64_t version = space.Callback().NameSpaceVersion();
    if (version != m_nameSpaceVersion) {
      m_nameSpaceVersion = version;
      if (!space.StillNames(m_nodeId, m_tag)) {
        m_tag->Release();
        m_tag = nullptr;
      }
    }
  }
  if (m_tag != nullptr) {
    const CTag& tag = *m_tag;
    if ((tag.m_accessRights & OPC_READABLE) == 0) {
      // A write-only item ("Check Device") publishes no value, as a Read returns none.
      if (m_sampled) return {};
      m_sampled = true;
      return {true, Enqueue(UaDataValue::Status(ua_status::BadNotReadable))};
    }
    // Quality and sub-status (uncertain to uncertain, last usable value is news); the limit
    // bits are not served.
    bool statusSame = (tag.m_quality & 0xFC) == (m_lastQuality & 0xFC);
    bool valueSame = trigger == UaDataChangeTrigger::Status ||
                     (deadband >= 0 ? WithinDeadband(m_lastValue, tag.m_value, deadband)
                                    : tag.m_value == m_lastValue);
    bool timeSame =
        trigger != UaDataChangeTrigger::StatusValueTimestamp || tag.m_timestamp == m_lastTimestamp;
    if (m_sampled && statusSame && valueSame && timeSame) return {};
    m_sampled = true;
    m_lastQuality = tag.m_quality;
    m_lastTimestamp = tag.m_timestamp;
    if (!(m_lastValue == tag.m_value)) m_lastValue = tag.m_value;
    return {true, Enqueue(UaAddressSpace::TagDataValue(tag))};
  }
  UaDataValue dv = space.Read(m_nodeId, m_attributeId, 1e9);
  if (!dv.hasSourceTimestamp && m_attributeId == ua_attr::Value && dv.hasValue) {
    dv.hasSourceTimestamp = true;
    dv.sourceTimestamp = UaNow();
  }
  if (!m_lastGeneric) m_lastGeneric = std::make_unique<UaDataValue>();
  UaDataValue& last = *m_lastGeneric;
  bool same = m_sampled && dv.status == last.status && dv.hasValue == last.hasValue &&
              (trigger == UaDataChangeTrigger::Status || dv.value == last.value);
  if (same) return {};
  m_sampled = true;
  last = dv;
  return {true, Enqueue(std::move(dv))};
}

UaMonitoredItem::SampleResult UaMonitoredItem::Resend(UaAddressSpace& space, bool mayGrow) {
  if (mode == UaMonitoringMode::Disabled) return {};
  m_sampled = false;
  return Sample(space, mayGrow);
}

std::ptrdiff_t UaMonitoredItem::Enqueue(UaDataValue value) {
  auto before = static_cast<std::ptrdiff_t>(QueuedCount());
  if (mode != UaMonitoringMode::Reporting) {
    // Sampling without reporting keeps only the latest value for a later switch to reporting
    // or a trigger.
    m_queue.clear();
    m_head = 0;
  }
  if (QueuedCount() >= queueSize && QueuedCount() > 0) {
    // A queue of more than one value tells the client that values were lost: the overflow bit
    // goes on the value next to the gap (the new oldest one, or the new value that replaces
    // the newest one).
    constexpr UaStatusCode kOverflow = 0x0480;  // InfoType DataValue, Overflow
    if (discardOldest) {
      m_queue[m_head++] = UaDataValue{};
      if (queueSize > 1 && QueuedCount() > 0) {
        m_queue[m_head].status |= kOverflow;
        m_queue[m_head].hasStatus = true;
      }
    } else {
      m_queue.pop_back();
      if (queueSize > 1) {
        value.status |= kOverflow;
        value.hasStatus = true;
      }
    }
  }
  if (m_head > 0 && m_head * 2 >= m_queue.size()) {
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(m_head));
    m_head = 0;
  }
  m_queue.push_back(std::move(value));
  return static_cast<std::ptrdiff_t>(QueuedCount()) - before;
}

UaDataValue UaMonitoredItem::TakeNotification() {
  UaDataValue v = std::move(m_queue[m_head++]);
  if (m_head == m_queue.size()) {
    std::vector<UaDataValue>().swap(m_queue);
    m_head = 0;
  }
  return v;
}
