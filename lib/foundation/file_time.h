// File times as OLE automation dates.
#pragma once

#include "platform/kernel/file_time.h"

// Days since 1899-12-30 in local time, the time of day as the fraction,
// milliseconds kept; the zero time gives 0.
double FileTimeToDateTime(const FILETIME& file_time);
