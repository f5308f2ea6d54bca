// DeviceCommands: the main window's device commands as operations of the document.
#pragma once

#include <cstdint>
#include <vector>

class CDORAzivazDoc;
class DeviceAddressDialog;
class DeviceViews;
struct DeviceRecord;

// Command identifiers.
constexpr unsigned kCmdAddDevice = 32848;
constexpr unsigned kCmdEditDevice = 32851;
constexpr unsigned kCmdCheckDevicesNow = 32852;
constexpr unsigned kCmdResetAllDevices = 32853;
constexpr unsigned kCmdCheckIntervalOff = 32835;
constexpr unsigned kCmdCheckInterval15 = 32822;
constexpr unsigned kCmdCheckInterval30 = 32823;
constexpr unsigned kCmdCheckInterval60 = 32829;
constexpr unsigned kCmdCheckInterval120 = 32830;

// Questions of the delete command: one device, several devices.
constexpr unsigned kStrDeleteOneDevice = 164;
constexpr unsigned kStrDeleteDevices = 202;

// All run on the main thread; `views` may be null (headless). The ones that change records
// take the device list lock; none may be called with the tag lock held. `devices` are records
// of the document's list, as the views' selection gives them.

// 32848: the address dialog for a new device; on OK the device is appended (unknown), its row
// added, the device count raised and the document marked modified. False when cancelled.
bool AddDevice(CDORAzivazDoc& doc, DeviceAddressDialog& dialog, DeviceViews* views);
// 32851: the address dialog filled with the device's address; on OK the address is replaced,
// the device starts again as unknown without a time, the old address leaves the failed list,
// and the document is marked modified. False when cancelled.
bool EditDevice(CDORAzivazDoc& doc, DeviceRecord& device, DeviceAddressDialog& dialog,
                DeviceViews* views);
// 32849: asks (164 for one device, 202 for several; No cancels), then takes each device off
// the failed list, removes its row and destroys it; lowers the device count, recomputes the
// devices node's mark and marks the document modified. False when nothing was deleted.
bool DeleteDevices(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices,
                   DeviceViews* views);
// 32850: each device becomes unknown and leaves the failed list; nothing is checked.
void ResetDevices(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices,
                  DeviceViews* views);
// 32853, and on leaving simulation mode: every device becomes unknown, the failed list is
// emptied and "Failed Devices" recomputed (an empty array).
void ResetAllDevices(CDORAzivazDoc& doc, DeviceViews* views);
// 32852: each device's address is appended to the CheckQueue.
void CheckDevicesNow(CDORAzivazDoc& doc, const std::vector<DeviceRecord*>& devices);
