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

std::ptrdiff_t UaMonitoredItem::Sample(UaAddressSpace& space, bool mayGrow) {
  // Without room to queue, a change stays unseen (and costs nothing) until there is room.
  if (mode == UaMonitoringMode::Disabled || !mayGrow) return 0;
  if (tag_ != nullptr) {
    const CTag& tag = *tag_;
    // Quality and sub-status (uncertain to uncertain, last usable value is news); the limit
    // bits are not served.
    bool statusSame = (tag.m_quality & 0xFC) == (lastQuality_ & 0xFC);
    bool valueSame = trigger == UaDataChangeTrigger::Status || tag.m_value == lastValue_;
    bool timeSame =
        trigger != UaDataChangeTrigger::StatusValueTimestamp || tag.m_timestamp == lastTimestamp_;
    if (sampled_ && statusSame && valueSame && timeSame) return 0;
    sampled_ = true;
    lastQuality_ = tag.m_quality;
    lastTimestamp_ = tag.m_timestamp;
    if (!(lastValue_ == tag.m_value)) lastValue_ = tag.m_value;
    return Enqueue(UaAddressSpace::TagDataValue(tag));
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
  if (same) return 0;
  sampled_ = true;
  last = dv;
  return Enqueue(std::move(dv));
}

std::ptrdiff_t UaMonitoredItem::Enqueue(UaDataValue value) {
  auto before = static_cast<std::ptrdiff_t>(QueuedCount());
  if (mode != UaMonitoringMode::Reporting) {
    // Sampling without reporting keeps only the latest value for a later switch to reporting.
    queue_.clear();
    head_ = 0;
  }
  if (QueuedCount() >= queueSize && QueuedCount() > 0) {
    if (discardOldest) {
      queue_[head_++] = UaDataValue{};
    } else {
      queue_.pop_back();
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
