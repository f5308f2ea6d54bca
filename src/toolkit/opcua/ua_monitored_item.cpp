// UaMonitoredItem: sampling and the notification queue.
#include "toolkit/opcua/ua_monitored_item.h"

#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_header.h"

UaMonitoredItem::UaMonitoredItem(std::uint32_t id, UaNodeId nodeId, std::uint32_t attributeId,
                                 CTag* tag)
    : id_(id), nodeId_(std::move(nodeId)), attributeId_(attributeId), tag_(tag) {}

UaMonitoredItem::~UaMonitoredItem() {
  if (tag_ != nullptr) tag_->Release();
}

UaMonitoredItem::SampleResult UaMonitoredItem::Sample(UaAddressSpace& space, bool mayGrow) {
  // Without room to queue, a change stays unseen (and costs nothing) until there is room.
  if (mode == UaMonitoringMode::Disabled || !mayGrow) return {};
  if (tag_ != nullptr) {
    const CTag& tag = *tag_;
    if ((tag.m_accessRights & OPC_READABLE) == 0) {
      // A write-only item ("Check Device") publishes no value, as a Read returns none.
      if (sampled_) return {};
      sampled_ = true;
      return {true, Enqueue(UaDataValue::Status(ua_status::BadNotReadable))};
    }
    // Quality and sub-status (uncertain to uncertain, last usable value is news); the limit
    // bits are not served.
    bool statusSame = (tag.m_quality & 0xFC) == (lastQuality_ & 0xFC);
    bool valueSame = trigger == UaDataChangeTrigger::Status ||
                     (deadband >= 0 ? WithinDeadband(lastValue_, tag.m_value, deadband)
                                    : tag.m_value == lastValue_);
    bool timeSame =
        trigger != UaDataChangeTrigger::StatusValueTimestamp || tag.m_timestamp == lastTimestamp_;
    if (sampled_ && statusSame && valueSame && timeSame) return {};
    sampled_ = true;
    lastQuality_ = tag.m_quality;
    lastTimestamp_ = tag.m_timestamp;
    if (!(lastValue_ == tag.m_value)) lastValue_ = tag.m_value;
    return {true, Enqueue(UaAddressSpace::TagDataValue(tag))};
  }
  UaDataValue dv = space.Read(nodeId_, attributeId_, 1e9);
  if (!dv.hasSourceTimestamp && attributeId_ == ua_attr::Value && dv.hasValue) {
    dv.hasSourceTimestamp = true;
    dv.sourceTimestamp = UaNow();
  }
  if (!lastGeneric_) lastGeneric_ = std::make_unique<UaDataValue>();
  UaDataValue& last = *lastGeneric_;
  bool same = sampled_ && dv.status == last.status && dv.hasValue == last.hasValue &&
              (trigger == UaDataChangeTrigger::Status || dv.value == last.value);
  if (same) return {};
  sampled_ = true;
  last = dv;
  return {true, Enqueue(std::move(dv))};
}

UaMonitoredItem::SampleResult UaMonitoredItem::Resend(UaAddressSpace& space, bool mayGrow) {
  if (mode == UaMonitoringMode::Disabled) return {};
  sampled_ = false;
  return Sample(space, mayGrow);
}

std::ptrdiff_t UaMonitoredItem::Enqueue(UaDataValue value) {
  auto before = static_cast<std::ptrdiff_t>(QueuedCount());
  if (mode != UaMonitoringMode::Reporting) {
    // Sampling without reporting keeps only the latest value for a later switch to reporting
    // or a trigger.
    queue_.clear();
    head_ = 0;
  }
  if (QueuedCount() >= queueSize && QueuedCount() > 0) {
    // A queue of more than one value tells the client that values were lost: the overflow bit
    // goes on the value next to the gap (the new oldest one, or the new value that replaces
    // the newest one).
    constexpr UaStatusCode kOverflow = 0x0480;  // InfoType DataValue, Overflow
    if (discardOldest) {
      queue_[head_++] = UaDataValue{};
      if (queueSize > 1 && QueuedCount() > 0) {
        queue_[head_].status |= kOverflow;
        queue_[head_].hasStatus = true;
      }
    } else {
      queue_.pop_back();
      if (queueSize > 1) {
        value.status |= kOverflow;
        value.hasStatus = true;
      }
    }
  }
  if (head_ > 0 && head_ * 2 >= queue_.size()) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  queue_.push_back(std::move(value));
  return static_cast<std::ptrdiff_t>(QueuedCount()) - before;
}

UaDataValue UaMonitoredItem::TakeNotification() {
  UaDataValue v = std::move(queue_[head_++]);
  if (head_ == queue_.size()) {
    std::vector<UaDataValue>().swap(queue_);
    head_ = 0;
  }
  return v;
}
