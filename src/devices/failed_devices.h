// FailedDevices: the document's FailedDeviceList and the "Failed Devices" item that shows it.
#pragma once

#include <string>

class CDORAzivazDoc;

// Put an address on, or take it off, the failed device list under the failed list lock. An
// address is listed once at most, in the order in which the devices failed. They return true
// when the list changed; the caller then recomputes the item (after releasing no lock but the
// failed list lock, which these release themselves).
bool ListFailedDevice(CDORAzivazDoc& doc, const std::string& address);
bool UnlistFailedDevice(CDORAzivazDoc& doc, const std::string& address);
// Empties the list; true when it held anything.
bool ClearFailedDevices(CDORAzivazDoc& doc);

// Rebuilds the "Failed Devices" value under the tag lock: a VT_BSTR array (lower bound 0) of
// the listed addresses in list order, time now, quality good. The caller may hold the device
// list lock and the tag lock, but neither the check queue lock nor the failed list lock.
void RecomputeFailedDevices(CDORAzivazDoc& doc);
