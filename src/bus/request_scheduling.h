// Request scheduling: how group reads and writes enter the document's request queue.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

class CDORAzivazDoc;
class GroupItem;
class RowRefreshQueue;

// A group read of a bus item. Nothing in simulation mode. With "ReadStrategy" 1 a read of an
// item already queued is merged into that entry (which takes the new request's initial flag),
// and an ordinary read overtakes the queued initial reads; otherwise it is appended. The
// initial flag is the document's initial-read flag. Takes the queue lock.
void QueueReadRequest(CDORAzivazDoc& doc, GroupItem& item);

// A group write of `value` (of the item's canonical type); returns S_OK. In simulation mode
// the value is stored at once under the tag lock (quality good when it has the canonical type,
// bad otherwise; written flag set, so that it survives one tick) and the row refreshed.
// Otherwise a write request is queued: with "WriteStrategy" 1 before the first queued read,
// else at the end. Called with the tag lock held or not; takes the queue lock after it.
HRESULT QueueWriteRequest(CDORAzivazDoc& doc, GroupItem& item, const Variant& value,
                          RowRefreshQueue& rows);
