// The calling thread's last system error, as the platform keeps it.
#pragma once

#include <cstdint>

uint32_t GetLastError();
void SetLastError(uint32_t code);

// Sets the last error from errno and returns false, for failing stand-in calls.
bool FailWithErrno();
