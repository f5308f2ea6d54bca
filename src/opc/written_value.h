// ConvertWrittenValue: how a value written by a client becomes a value of the item's type.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

class GroupItem;

// Text written to an untyped item (canonical type byte array) becomes (size + 7) / 8 bytes:
// the text's first characters in Windows-1252, the rest filled with 0. Every other value is
// converted to the canonical type by ChangeType. On failure returns ChangeType's HRESULT and
// leaves `out` untouched.
HRESULT ConvertWrittenValue(const GroupItem& item, const Variant& value, Variant& out);
