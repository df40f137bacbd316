#include "lib/foundation/file_time.h"

#include "lib/foundation/errors.h"

namespace {

// Days from 1899-12-30 to the date (proleptic Gregorian).
int64_t DaysSinceOleEpoch(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const int64_t days_since_1970 = era * 146097 + day_of_era - 719468;
  return days_since_1970 + 25569;
}

}  // namespace

double FileTimeToDateTime(const FILETIME& file_time) {
  if (file_time.dwLowDateTime == 0 && file_time.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME parts;
  if (!FileTimeToLocalFileTime(&file_time, &local) || !FileTimeToSystemTime(&local, &parts)) {
    RaiseLastOSError();
  }
  const double date = static_cast<double>(DaysSinceOleEpoch(parts.wYear, parts.wMonth, parts.wDay));
  const double time = (((parts.wHour * 60.0 + parts.wMinute) * 60.0 + parts.wSecond) * 1000.0 +
                       parts.wMilliseconds) /
                      86'400'000.0;
  // Before the epoch the whole days count back while the time of day still
  // counts forward: 1899-12-29 12:00 is -1.5.
  return date >= 0 ? date + time : date - time;
}
