// OpcDocument: the document's operations that OPC item access hands client writes and reads to.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

class GroupItem;

// Implemented by the project document. Both operations are called with the tag lock held, so
// an implementation may take the request queue, check queue or failed list lock, but never the
// device list lock.
class OpcDocument {
 public:
  // A write of `value`, already of the item's canonical type. A bus item's value is stored at
  // once in simulation mode, otherwise a write request is queued (also while no bus is open);
  // for "Check Device" the text is taken as a device address to check; a write to "Failed
  // Devices" is ignored. Returns S_OK.
  virtual HRESULT QueueWrite(GroupItem& item, const Variant& value) = 0;
  // A fresh value from the device: a group read request is queued for a bus item unless in
  // simulation mode; "Failed Devices" is recomputed at once; "Check Device" is left alone.
  virtual void QueueRead(GroupItem& item) = 0;

 protected:
  ~OpcDocument() = default;
};
