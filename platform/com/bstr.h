// Automation strings: UTF-16 with their byte length stored before the first
// character and a terminating zero after the last, so zero characters inside
// survive. A null BSTR is the empty string.
#pragma once

#include <cstdint>

#include "platform/com/com_export.h"

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// A copy of `length` characters from `text` (uninitialised when `text` is
// null); null when memory runs out.
COMAPI BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// A copy of a zero-terminated string.
COMAPI BSTR SysAllocString(const OLECHAR* text);
COMAPI void SysFreeString(BSTR text);
COMAPI uint32_t SysStringLen(BSTR text);
// The length in bytes, as the prefix keeps it.
COMAPI uint32_t SysStringByteLen(BSTR text);
