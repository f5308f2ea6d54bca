// CheckDeviceWrite: storing the written address and queueing its check.
#include "devices/check_device_write.h"

#include <mutex>

#include "knx/physical_address.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"

void CheckDeviceWrite(CDORAzivazDoc& doc, GroupItem& item, const Variant& value) {
  std::lock_guard tagLock(doc.TagLock());
  item.m_value = value;
  item.m_timestamp = TimeStampNow();
  if (value.vt() != VT_BSTR) return;
  const std::int32_t address =
      ParsePhysicalAddress(Utf16ToAnsi(value.bstrVal()), AddressPartRule::Digits);
  if (address < 0) {
    item.m_quality = OPC_QUALITY_BAD;
    return;
  }
  doc.CheckQueue().Add(FormatPhysicalAddress(static_cast<PhysicalAddress>(address)));
  item.m_quality = OPC_QUALITY_GOOD;
}
