// ItemCommands: the list's EIS type, priority and initial read commands on the selected items.
#pragma once

#include <cstdint>
#include <span>

#include "project/document_edit.h"

class CDORAzivazDoc;
class GroupItem;
class GroupTableView;

// Priority command identifiers by priority (System, High, Alarm, Low).
constexpr std::uint32_t kCmdPrioritySystem = 32806;
constexpr std::uint32_t kCmdPriorityHigh = 32810;
constexpr std::uint32_t kCmdPriorityAlarm = 32808;
constexpr std::uint32_t kCmdPriorityLow = 32812;
constexpr std::uint32_t kCmdInitialRead = 32862;

// A type command (32772..32797, 32856) under the tag lock: each item whose EIS number or
// subtype differs (the untyped command also retypes an untyped item unless it has 112 bits)
// takes the new type (its row and the untyped marks through `view`), loses its value, gets the
// time stamp now and quality uncertain. Marks the document modified when an item changed.
// Returns the number of items changed; 0 also for a command that is no type command. With
// `undo`, the undo record is stored there (none when nothing changed); so for the other two.
int ApplyEisTypeCommand(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                        std::uint32_t command, GroupTableView* view,
                        DocumentEditPtr* undo = nullptr);

// The priority of a priority command; -1 for any other command.
std::int32_t PriorityOfCommand(std::uint32_t command);
// The command checked in the priority menu: the one of the priority all items share, else 0.
std::uint32_t CheckedPriorityCommand(std::span<GroupItem* const> items);
// Sets the priority of each item whose priority differs, under the tag lock; marks the
// document modified when one changed. Returns the number changed.
int ApplyPriorityCommand(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                         std::uint32_t command, DocumentEditPtr* undo = nullptr);

// Whether every item is read at project start (the check mark of 32862; false for none).
bool AllReadAtStart(std::span<GroupItem* const> items);
// 32862: sets the flag on all items when one lacks it, else clears it on all; marks the
// document modified. Returns the new flag.
bool ToggleInitialRead(CDORAzivazDoc& doc, std::span<GroupItem* const> items,
                       DocumentEditPtr* undo = nullptr);
