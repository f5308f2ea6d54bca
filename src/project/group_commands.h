// Group commands: new main and middle groups, renaming groups and the project, and the
// group-wide priority, initial read and read commands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "project/document_edit.h"

class CDORAzivazDoc;
class GroupItem;
class GroupNode;

constexpr unsigned kCmdReadItems = 32775;  // selected rows
constexpr unsigned kCmdReadGroup = 32804;  // every item below the selected node
constexpr unsigned kCmdGroupPrioritySystem = 32813;
constexpr unsigned kCmdGroupPriorityHigh = 32801;
constexpr unsigned kCmdGroupPriorityAlarm = 32814;
constexpr unsigned kCmdGroupPriorityLow = 32815;
constexpr unsigned kCmdGroupReadAtStart = 32863;
constexpr unsigned kCmdGroupReadNoneAtStart = 32864;
constexpr unsigned kCmdNewMainGroup = 32839;
constexpr unsigned kCmdRenameProject = 32840;
constexpr unsigned kCmdNewMiddleGroup = 32841;
constexpr unsigned kCmdRenameGroup = 32844;

// Prompts of the name dialog, and its refusal of an empty name.
constexpr unsigned kStrProjectNamePrompt = 32780;
constexpr unsigned kStrGroupNamePrompt = 32798;
constexpr unsigned kStrMiddleGroupNamePrompt = 32816;
constexpr unsigned kStrMainGroupNamePrompt = 32817;
constexpr unsigned kStrEnterName = 32818;

// A group name as the name space takes it: every "." (which would split item IDs) becomes "_".
std::string CleanGroupName(std::string_view name);

// A new main group under the root (number -1, name cleaned and made unique among the root's
// children), appended to the root's children, shown and selected; the main group counter
// grows by 1. None for an empty name.
DocumentEditPtr NewMainGroup(CDORAzivazDoc& doc, std::string_view name);
// The same for a new middle group, the last child of `mainGroup`; the middle group counter
// grows by 1. None for an empty name or when `mainGroup` is no main group.
DocumentEditPtr NewMiddleGroup(CDORAzivazDoc& doc, GroupNode& mainGroup, std::string_view name);
// Renames a main or middle group: cleaned, unique among its siblings (its own old name does
// not count); the item IDs of everything below follow at once. None for an empty name, for the
// root or the devices node, or when the name stays as it was.
DocumentEditPtr RenameGroup(CDORAzivazDoc& doc, GroupNode& node, std::string_view name);
// The root's name becomes `name` as entered; item IDs do not change. None for an empty or
// unchanged name.
DocumentEditPtr RenameProject(CDORAzivazDoc& doc, std::string_view name);

// The priority of a group priority command (32813 System, 32801 High, 32814 Alarm, 32815 Low);
// -1 for any other command.
std::int32_t GroupPriorityOfCommand(unsigned command);
// Sets the priority of every bus item below `node` (children first, then the node's items).
// None when no item changed.
DocumentEditPtr SetGroupPriority(CDORAzivazDoc& doc, GroupNode& node, std::int32_t priority);
// Sets (32863) or clears (32864) the initial read flag of every bus item below `node`.
DocumentEditPtr SetGroupInitialRead(CDORAzivazDoc& doc, GroupNode& node, bool read);

// The document's read request for every item below `node` (32804), in the order children
// first, then the node's items; for the selected items (32775) in row order. Each queues a
// group read unless the system is simulating. Returns the number of items asked for.
int ReadGroup(CDORAzivazDoc& doc, GroupNode& node);
int ReadItems(CDORAzivazDoc& doc, std::span<GroupItem* const> items);
