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

bool UaMonitoredItem::Sample(UaAddressSpace& space) {
  if (mode == UaMonitoringMode::Disabled) return false;
  if (tag_ != nullptr) {
    const CTag& tag = *tag_;
    if ((tag.m_accessRights & OPC_READABLE) == 0) {
      // A write-only item ("Check Device") publishes no value, as a Read returns none.
      bool first = !sampled_;
      if (first) Enqueue(UaDataValue::Status(ua_status::BadNotReadable));
      sampled_ = true;
      return first;
    }
    // Quality and sub-status (uncertain to uncertain, last usable value is news); the limit
    // bits are not served.
    bool statusSame = (tag.m_quality & 0xFC) == (lastQuality_ & 0xFC);
    bool valueSame = trigger == UaDataChangeTrigger::Status ||
                     (deadband >= 0 ? WithinDeadband(lastValue_, tag.m_value, deadband)
                                    : tag.m_value == lastValue_);
    bool timeSame =
        trigger != UaDataChangeTrigger::StatusValueTimestamp || tag.m_timestamp == lastTimestamp_;
    if (sampled_ && statusSame && valueSame && timeSame) return false;
    sampled_ = true;
    lastQuality_ = tag.m_quality;
    lastTimestamp_ = tag.m_timestamp;
    if (!(lastValue_ == tag.m_value)) lastValue_ = tag.m_value;
    Enqueue(UaAddressSpace::TagDataValue(tag));
    return true;
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
  if (same) return false;
  sampled_ = true;
  last = dv;
  Enqueue(std::move(dv));
  return true;
}

void UaMonitoredItem::Resend(UaAddressSpace& space) {
  if (mode == UaMonitoringMode::Disabled) return;
  sampled_ = false;
  Sample(space);
}

void UaMonitoredItem::Enqueue(UaDataValue value) {
  if (mode != UaMonitoringMode::Reporting) {
    // Sampling without reporting keeps only the latest value for a later switch to reporting
    // or a trigger.
    queue_.clear();
  }
  if (queue_.size() >= queueSize) {
    // A queue of more than one value tells the client that values were lost: the overflow bit
    // goes on the value next to the gap (the new oldest one, or the new value that replaces
    // the newest one).
    constexpr UaStatusCode kOverflow = 0x0480;  // InfoType DataValue, Overflow
    if (discardOldest) {
      queue_.erase(queue_.begin());
      if (queueSize > 1) {
        queue_.front().status |= kOverflow;
        queue_.front().hasStatus = true;
      }
    } else {
      queue_.pop_back();
      if (queueSize > 1) {
        value.status |= kOverflow;
        value.hasStatus = true;
      }
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
