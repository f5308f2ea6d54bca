// UaDataChangeFilter: decoding and checking the filter, and the deadband test.
#include "toolkit/opcua/ua_data_change_filter.h"

#include <cmath>
#include <mutex>
#include <optional>

#include "toolkit/c_opc_callback.h"
#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_node_ids.h"

namespace {
enum DeadbandType : std::uint32_t { kNone = 0, kAbsolute = 1, kPercent = 2 };

std::optional<double> NumberOf(const Variant& v) {
  switch (v.vt()) {
    case VT_I2:
      return v.iVal();
    case VT_I4:
      return v.lVal();
    case VT_R4:
      return v.fltVal();
    case VT_R8:
      return v.dblVal();
    case VT_UI1:
      return v.bVal();
    case VT_UI4:
      return v.ulVal();
    default:
      return std::nullopt;
  }
}

bool IsNumericType(VARTYPE vt) {
  return vt == VT_I2 || vt == VT_I4 || vt == VT_R4 || vt == VT_R8 || vt == VT_UI1 || vt == VT_UI4;
}
}  // namespace

UaStatusCode ParseDataChangeFilter(const UaExtensionObject& filter, std::uint32_t attribute,
                                   CTag* tag, COPCCallback& callback, UaDataChangeFilter& out) {
  out = UaDataChangeFilter{};
  if (filter.encoding == 0 && filter.typeId.IsNull()) return ua_status::Good;
  if (!filter.typeId.IsNumeric(0, ua_id::DataChangeFilter) || filter.encoding != 1) {
    return ua_status::BadMonitoredItemFilterUnsupported;
  }
  if (attribute != ua_attr::Value) return ua_status::BadFilterNotAllowed;
  std::uint32_t trigger = 0;
  std::uint32_t deadbandType = 0;
  double deadbandValue = 0;
  try {
    UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(filter.body.data()), filter.body.size());
    trigger = r.UInt32();
    deadbandType = r.UInt32();
    deadbandValue = r.Double();
  } catch (const UaDecodeError&) {
    return ua_status::BadMonitoredItemFilterUnsupported;
  }
  if (trigger > 2 || deadbandType > kPercent) return ua_status::BadMonitoredItemFilterUnsupported;
  out.trigger = static_cast<UaDataChangeTrigger>(trigger);
  if (deadbandType == kNone) return ua_status::Good;
  if (!std::isfinite(deadbandValue) || deadbandValue < 0 ||
      (deadbandType == kPercent && deadbandValue > 100)) {
    return ua_status::BadDeadbandFilterInvalid;
  }
  std::lock_guard guard(callback.GetTagLock());  // the item's type may change
  // Deadbands apply to numbers only; the served items hold scalars.
  if (tag == nullptr || !IsNumericType(tag->m_nativeDataType)) {
    return ua_status::BadFilterNotAllowed;
  }
  if (deadbandType == kAbsolute) {
    out.deadband = deadbandValue;
    return ua_status::Good;
  }
  double low = 0;
  double high = 0;
  if (callback.GetTagLimits(tag, &low, &high) != S_OK || !(high > low)) {
    return ua_status::BadMonitoredItemFilterUnsupported;
  }
  out.deadband = deadbandValue / 100 * (high - low);
  return ua_status::Good;
}

bool WithinDeadband(const Variant& last, const Variant& now, double deadband) {
  if (last.vt() != now.vt()) return false;
  std::optional<double> a = NumberOf(last);
  std::optional<double> b = NumberOf(now);
  return a && b && std::fabs(*b - *a) <= deadband;
}
