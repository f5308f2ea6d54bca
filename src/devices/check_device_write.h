// CheckDeviceWrite: a client's write to the "Check Device" item.
#pragma once

class CDORAzivazDoc;
class GroupItem;
class Variant;

// Stores `value` in the item with the time now. A text that ParsePhysicalAddress accepts by its
// Digits rule is queued for a check in the text form ("1.1.5" queues "01.01.005") and makes the
// item good; any other text queues nothing and makes it bad. Takes the tag lock (the writer usually
// holds it already) and then the check queue lock.
void CheckDeviceWrite(CDORAzivazDoc& doc, GroupItem& item, const Variant& value);
