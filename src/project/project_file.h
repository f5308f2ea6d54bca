// Project file: the TAB-separated project file and the device file (".phd") beside it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class DeviceList;
class GroupNode;

// String table entries of the project file's messages.
constexpr unsigned kStrBadProjectLine = 146;  // + the line's first 40 characters + "..."
constexpr unsigned kStrNoDeviceFile = 147;    // + the device file's path
constexpr unsigned kStrBadDeviceLine = 156;   // + the line
constexpr unsigned kStrDeviceFileNotSaved = 185;
constexpr unsigned kStrDevicesLeftOut = 207;  // + the left-out address texts, one a line

// The project file's own extension.
inline constexpr std::string_view kProjectFileExtension = ".zlv";

// The project file's path with its extension (from the file name's last ".") replaced by
// ".phd"; a file name without "." gets ".phd" appended.
std::string DeviceFilePath(std::string_view projectPath);

// The project file's contents: the root's name, then one line per group item in depth-first
// order (a node's items, then its child nodes), without the special items. Lines end in CR LF,
// fields are separated by TAB; TAB, CR and LF inside a field are written as blanks so that
// every record stays one line with its fields in place.
std::string ProjectFileText(const GroupNode& root);
// One physical address text per device, in list order, each ended by CR LF. Only texts in
// the zero-padded form load back; the others are left out and, with `leftOut`, listed there.
std::string DeviceFileText(const DeviceList& devices, std::vector<std::string>* leftOut = nullptr);

// Inserts `address` into sorted linked addresses: after every entry whose group address is
// not greater, so equal addresses keep the order in which they came.
void InsertLinkAscending(std::vector<std::string>& links, std::string_view address);
