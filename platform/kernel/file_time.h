// File times: 100-nanosecond intervals since 1601-01-01.
#pragma once

#include <cstdint>

struct FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
};

struct SYSTEMTIME {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;  // 0 is Sunday
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
};

// Shifts a UTC time by the local offset in effect now (not the one in
// effect at that time), as the platform does. The zone is the process's TZ.
bool FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
// False with ERROR_INVALID_PARAMETER for a time of 2^63 or more.
bool FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system_time);
