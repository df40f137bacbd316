// Automation strings: UTF-16 with their byte length stored before the first
// character and a terminating zero after the last, so zero characters inside
// survive. A null BSTR is the empty string.
#pragma once

#include <cstdint>

#include "platform/com/com_export.h"

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// The most characters a string holds: its length prefix counts bytes in 32
// bits, with room for the prefix and the terminating zero.
constexpr uint32_t kMaxBstrLength = (UINT32_MAX - 2 * sizeof(uint32_t)) / sizeof(OLECHAR);

// A copy of `length` characters from `text` (uninitialised when `text` is
// null); null when memory runs out or `length` is above kMaxBstrLength.
COMAPI BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// A copy of a zero-terminated string.
COMAPI BSTR SysAllocString(const OLECHAR* text);
COMAPI void SysFreeString(BSTR text);
COMAPI uint32_t SysStringLen(BSTR text);
// The length in bytes, as the prefix keeps it.
COMAPI uint32_t SysStringByteLen(BSTR text);
