// Module file names.
#pragma once

#include <string>

#include "platform/com/com_export.h"

// The full path (cp1251) of the loaded module that holds `address`; empty
// when none does.
COM_SHARED std::string ModuleFileName(const void* address);

// The short form of a path. File systems here keep no 8.3 aliases, so, as
// on a volume without them, the short form is the path itself.
COM_SHARED std::string GetShortPathNameA(const std::string& path);
