// FailedDevices: the "Failed Devices" item that shows the document's failed device list.
#pragma once

class CDORAzivazDoc;

// Rebuilds the "Failed Devices" value under the tag lock: a VT_BSTR array (lower bound 0) of
// the listed addresses in list order, time now, quality good. The caller may hold the device
// list lock and the tag lock, but neither the check queue lock nor the failed list lock.
void RecomputeFailedDevices(CDORAzivazDoc& doc);
