// CreateValueDialog: the value entry dialog that fits a group item's EIS type.
#pragma once

#include <memory>

#include "ui/value_dialog.h"

class GroupItem;

// The dialog for the item's EIS number and subtype, not yet filled; null for the items that
// have none (the special items, EIS 2 and EIS 8 subtypes without a dialog).
std::unique_ptr<ValueDialog> CreateValueDialog(const GroupItem& item, Prompt& prompt,
                                               QWidget* parent = nullptr);
