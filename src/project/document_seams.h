// DocumentSeams: the work of the bus link, the request scheduling and the device check that
// the document calls at fixed points of its life.
#pragma once

#include <functional>

#include "platform/hresult.h"
#include "platform/variant.h"

class CDORAzivazDoc;
class GroupItem;

// Each member is supplied by the part that owns the work and wired by the application when it
// makes the document. An empty member leaves its step out, so the document also runs headless
// without a bus and under test.
struct DocumentSeams {
  // Construction: set up the bus link (`silent` when started by a client: no messages).
  std::function<void(CDORAzivazDoc&, bool silent)> connect;
  // Destruction, after the device check thread has ended: close the bus link.
  std::function<void(CDORAzivazDoc&)> disconnect;
  // Ends a device check that is running (clearing the project, check interval 0).
  std::function<void(CDORAzivazDoc&)> cancelCheck;

  // Thread procedures, started by the constructor once their quit events exist. Each returns
  // when its quit event (CDORAzivazDoc::DeviceCheckQuitEvent / BusWorkerQuitEvent) is set
  // and no restart is requested.
  std::function<void(CDORAzivazDoc&)> deviceCheckThread;
  std::function<void(CDORAzivazDoc&)> busWorkerThread;

  // A group read of a bus item (client device read, initial read after loading).
  std::function<void(CDORAzivazDoc&, GroupItem&)> queueRead;
  // A group write of a value of the item's canonical type; called under the tag lock.
  std::function<HRESULT(CDORAzivazDoc&, GroupItem&, const Variant&)> queueWrite;
  // "Failed Devices": rebuild its value from the failed device list.
  std::function<void(CDORAzivazDoc&)> recomputeFailedDevices;
  // "Check Device": a client wrote `value`; check the text and queue the device.
  std::function<void(CDORAzivazDoc&, GroupItem&, const Variant&)> checkDeviceWrite;
  // An item is about to be destroyed (under the tag lock, after it left the pending list and
  // the request queue): forget every other reference to it.
  std::function<void(CDORAzivazDoc&, GroupItem&)> itemDestroying;
};
