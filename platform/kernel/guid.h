// New GUIDs: random version-4 identifiers (RFC 4122 variant) from getrandom.
#pragma once

#include "platform/kernel/result_types.h"

// 0 (S_OK), or the failure of the random source as the HRESULT of its
// system code.
HRESULT CoCreateGuid(GUID* guid);
