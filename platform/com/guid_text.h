// The registry form of a GUID, shared by the runtime's own writers.
#pragma once

#include <string>

#include "platform/com/com_export.h"
#include "platform/com/unknwn.h"

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
COM_SHARED std::string GuidToRegistryString(const GUID& guid);
