// ChangeType: VariantChangeType with OLE Automation's conversion rules for the system's types.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

// Converts `in` to `target` (a scalar VARTYPE, or an array type equal to the input's).
// On success stores the result in `out` and returns S_OK; on failure returns DISP_E_OVERFLOW
// (value out of range), DISP_E_TYPEMISMATCH (text that is no number, array to scalar and the
// like) or DISP_E_BADVARTYPE, and leaves `out` untouched. Floats convert to integers rounding
// half to even; booleans are -1/0; text is read and written with the C locale's number format.
HRESULT ChangeType(const Variant& in, VARTYPE target, Variant& out);
