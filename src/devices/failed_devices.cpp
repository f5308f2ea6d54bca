// FailedDevices: rebuilding the "Failed Devices" value from the failed device list.
#include "devices/failed_devices.h"

#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "project/dorazivaz_doc.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/special_item_kind.h"

void RecomputeFailedDevices(CDORAzivazDoc& doc) {
  std::lock_guard tagLock(doc.TagLock());
  // Found through the name space, which only changes under the tag lock: the document's own
  // pointer to the item is reset by the main thread while it clears the project.
  GroupItem* item = nullptr;
  for (const auto& candidate : doc.Root().m_items) {
    if (candidate->m_eis == kFailedDevicesItem) item = candidate.get();
  }
  if (item == nullptr) return;
  std::vector<Variant> elements;
  for (const std::string& address : doc.FailedDevices().Items())
    elements.push_back(Variant::Bstr(AnsiToUtf16(address)));
  item->m_value = Variant::Array(VT_BSTR, std::move(elements));
  item->m_timestamp = TimeStampNow();
  item->m_quality = OPC_QUALITY_GOOD;
}
