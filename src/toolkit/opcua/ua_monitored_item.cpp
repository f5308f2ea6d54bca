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

void UaMonitoredItem::Sample(UaAddressSpace& space) {
  if (mode == UaMonitoringMode::Disabled) return;
  if (tag_ != nullptr) {
    const CTag& tag = *tag_;
    if ((tag.m_accessRights & OPC_READABLE) == 0) {
      // A write-only item ("Check Device") publishes no value, as a Read returns none.
      if (!sampled_) Enqueue(UaDataValue::Status(ua_status::BadNotReadable));
      sampled_ = true;
      return;
    }
    bool statusSame = (tag.m_quality & 0xC0) == (lastQuality_ & 0xC0);
    bool valueSame = trigger == UaDataChangeTrigger::Status || tag.m_value == lastValue_;
    bool timeSame =
        trigger != UaDataChangeTrigger::StatusValueTimestamp || tag.m_timestamp == lastTimestamp_;
    if (sampled_ && statusSame && valueSame && timeSame) return;
    sampled_ = true;
    lastQuality_ = tag.m_quality;
    lastTimestamp_ = tag.m_timestamp;
    if (!(lastValue_ == tag.m_value)) lastValue_ = tag.m_value;
    Enqueue(UaAddressSpace::TagDataValue(tag));
    return;
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
  if (same) return;
  sampled_ = true;
  last = dv;
  Enqueue(std::move(dv));
}

void UaMonitoredItem::Enqueue(UaDataValue value) {
  if (mode != UaMonitoringMode::Reporting) {
    // Sampling without reporting keeps only the latest value for a later switch to reporting.
    queue_.clear();
  }
  if (queue_.size() >= queueSize) {
    if (discardOldest) {
      queue_.erase(queue_.begin());
    } else {
      queue_.pop_back();
    }
  }
  queue_.push_back(std::move(value));
}

UaDataValue UaMonitoredItem::TakeNotification() {
  UaDataValue v = std::move(queue_.front());
  queue_.erase(queue_.begin());
  if (queue_.empty()) std::vector<UaDataValue>().swap(queue_);
  return v;
}
