// ChangeType: VariantChangeType with OLE Automation's conversion rules for the system's types.
#pragma once

#include "platform/hresult.h"
#include "platform/variant.h"

// Converts `in` to `target` (a scalar VARTYPE, or an array type equal to the input's).
// On success stores the result in `out` and returns S_OK; on failure returns DISP_E_OVERFLOW
// (value out of range), DISP_E_TYPEMISMATCH (text that is no number, array to scalar and the
// like) or DISP_E_BADVARTYPE, and leaves `out` untouched. Floats convert to integers rounding
// half to even; booleans are -1/0 (255 and 0xFFFFFFFF as VT_UI1 and VT_UI4) and become the
// text "-1"/"0"; text becomes a boolean from "True"/"False" (any case), "#TRUE#"/"#FALSE#" or
// a number. Numbers are read and written in the C locale's format whatever the user's locale:
// blanks around the number allowed, reals printed with 7 (VT_R4) or 15 (VT_R8) significant
// digits ("21.5", "1E+20"). VT_DATE text is "YYYY-MM-DD hh:mm:ss", the date alone at midnight
// and the time alone on day 0; reading also takes "YYYY-MM-DDThh:mm" and "hh:mm[:ss]".
HRESULT ChangeType(const Variant& in, VARTYPE target, Variant& out);
