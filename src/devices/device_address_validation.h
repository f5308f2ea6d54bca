// ValidateDeviceAddress: the OK check of the device address dialog.
#pragma once

#include <string>

class DeviceList;
struct DeviceRecord;

// String resources the check shows.
constexpr unsigned kStrInvalidDeviceAddress = 157;
constexpr unsigned kStrDeviceAddressExists = 154;

// Checks `text` with ParsePhysicalAddress by its Digits rule; an invalid text gives 157 and
// stays as typed.
// A valid one is rewritten in the text form ("1.1.5" becomes "01.01.005"); if another device of
// `devices` (not `editing`, the device being edited) already has it, the result is 154,
// otherwise 0. Takes the device list lock.
unsigned ValidateDeviceAddress(std::string& text, DeviceList& devices, const DeviceRecord* editing);
