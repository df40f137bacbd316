// The clock of the signing-time attribute: signatures carry UTC.
#pragma once

#include "platform/kernel/file_time.h"

// Now, in UTC, as a file time.
FILETIME CurrentUtcFileTime();
