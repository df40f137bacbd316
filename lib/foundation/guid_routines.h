// New GUIDs and their texts.
#pragma once

#include <string>

#include "platform/com/unknwn.h"

// Raises "Guid не создан" (without a debug line) when none can be made.
GUID NewGuid();
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex: 38 characters.
std::string NewGuidString();
// The same without the braces: 36 characters.
std::string NewGuidStringNoBraces();
// 32 lower-case hex digits, no hyphens.
std::string NewGuidHex();
