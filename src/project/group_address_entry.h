// GroupAddressEntry: the fields of the group address dialog, their checks when the user
// confirms, and how the confirmed fields change the item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CDORAzivazDoc;
class GroupItem;
class ProjectEdit;

constexpr unsigned kCmdItemProperties = 32847;

// Messages of the checks.
constexpr unsigned kStrMainGroupRange = 152;
constexpr unsigned kStrMiddleGroupRange = 158;
constexpr unsigned kStrSubGroupRange = 159;
constexpr unsigned kStrAddressTaken = 160;
constexpr unsigned kStrTwoLevelSubGroupRange = 197;

// The texts of the dialog's fields, as the user typed them.
struct GroupAddressEntry {
  std::string main;
  std::string middle;  // empty and unused for a two-level address
  std::string sub;
  bool twoLevel = false;
  // A number can be typed only while the group that carries it has none yet (-1): a group made
  // by hand, or one whose last content was deleted. Otherwise its field is disabled.
  bool mainEditable = false;
  bool middleEditable = false;
  bool isNew = false;  // the item was just made by the new item command
  std::string name;
  std::string typeText;      // an EIS type's display name
  std::string priorityText;  // "System", "High", "Alarm" or "Low"
  bool initialRead = false;
};

// The priority's text; the value of a text (any other text gives "Alarm", 2).
std::string_view ItemPriorityText(std::int32_t priority);
std::int32_t ItemPriorityOfText(std::string_view text);

// The fields for `item`: the numbers of its address text (the middle one only with a second
// "/"), its sub number, name, type, priority and initial read flag; the editable flags from the
// numbers of its group and, for a three-level address, of the main group above.
GroupAddressEntry OpenGroupAddressEntry(const GroupItem& item, bool isNew);

// The checks of OK, in order; 0 when the entry may be saved, else the message to show (the
// dialog stays open): 152 main (editable) empty or above 31, 158 middle (editable) empty or
// above 7, 159 sub empty or above 255 (three levels), 197 above 2047 (two levels), 160 the
// address is in use: by another item of the same main group (two levels) or of the same
// middle group, wherever that group stands among its siblings, or its group number is taken by
// another group while the number is still to be typed. Numbers are read as unsigned: a sign or
// any other character than a digit fails the check.
unsigned CheckGroupAddressEntry(const GroupItem& item, const GroupAddressEntry& entry);

// Saves a checked entry into `item`, touching in `edit` what it changes: group numbers that
// were typed, the address text and ID (the listeners of the item's link targets follow the
// new address, and the item's own listeners become the items whose links name it now), name,
// type (which empties the value, quality uncertain, time stamp now), priority and initial read
// flag. The caller holds the tag lock. Returns whether anything changed.
bool ApplyGroupAddressEntry(CDORAzivazDoc& doc, GroupItem& item, const GroupAddressEntry& entry,
                            ProjectEdit& edit);
