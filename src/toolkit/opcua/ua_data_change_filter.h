// UaDataChangeFilter: a monitored item's DataChangeFilter (trigger and deadband), checked
// against the item it filters, and the deadband test on sampled values.
#pragma once

#include <cstdint>

#include "platform/variant.h"
#include "toolkit/opcua/ua_types.h"

class COPCCallback;
class CTag;

// DataChangeFilter triggers.
enum class UaDataChangeTrigger : std::uint32_t {
  Status = 0,
  StatusValue = 1,
  StatusValueTimestamp = 2
};

// Without a filter a monitored item reports changes of status and value (not a new time
// stamp alone), as OPC UA defines the default; a client that wants every telegram, even one
// repeating the value, asks for StatusValueTimestamp.
constexpr UaDataChangeTrigger kDefaultDataChangeTrigger = UaDataChangeTrigger::StatusValue;

struct UaDataChangeFilter {
  UaDataChangeTrigger trigger = kDefaultDataChangeTrigger;
  // The absolute deadband on the value; negative: none.
  double deadband = -1;
};

// Decodes the filter of a monitored item of `attribute` on `tag` (null for anything but an
// item's Value) into `out`. Absolute deadbands apply to numeric items; percent deadbands to
// items whose served system gives limits (their EURange). The status says why a filter is
// refused.
UaStatusCode ParseDataChangeFilter(const UaExtensionObject& filter, std::uint32_t attribute,
                                   CTag* tag, COPCCallback& callback, UaDataChangeFilter& out);

// Whether `now` lies within `deadband` of `last`, both numbers of one type; false otherwise.
bool WithinDeadband(const Variant& last, const Variant& now, double deadband);
