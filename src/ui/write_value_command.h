// The write-value command (32776): a value typed by hand, written like an OPC client's write.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

class CDORAzivazDoc;
class GroupItem;
class ListView;
class Prompt;
class QWidget;

constexpr unsigned kCmdWriteValue = 32776;

// Opens the value dialog of the first selected row's item, filled with its current value; on
// OK writes the entered value. Does nothing without a selected row or for an item without a
// dialog. Main thread.
void WriteValueCommand(CDORAzivazDoc& doc, const ListView& list, Prompt& prompt, QWidget* parent);

// A dialog's value in a VARIANT of the item's canonical type: a boolean or an integer keeps
// the bits of the width it was entered in (a 16-bit 65535 and -1 are the same bits); other
// types convert as a client's value would. VT_EMPTY when it cannot become that type.
Variant CanonicalValue(const Variant& entered, VARTYPE canonical);

// Under the tag lock, hands the entered value, as the canonical type, to the document's write.
// VT_EMPTY (nothing entered) writes nothing and gives S_FALSE.
HRESULT WriteEnteredValue(CDORAzivazDoc& doc, GroupItem& item, const Variant& entered);
