#include "platform/kernel/file_time.h"

#include <ctime>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerMillisecond = 10'000;
constexpr int64_t kMillisecondsPerDay = 86'400'000;

uint64_t Join(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Year, month and day of a day count from 1600-03-01 (a proleptic Gregorian
// calendar whose years begin in March, so that leap days come last).
void CivilFromDays(int64_t days, SYSTEMTIME& out) {
  const int64_t era = days / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;  // 0 is March
  out.wDay = static_cast<uint16_t>(day_of_year - (153 * month_index + 2) / 5 + 1);
  out.wMonth = static_cast<uint16_t>(month_index < 10 ? month_index + 3 : month_index - 9);
  out.wYear = static_cast<uint16_t>(1600 + year_of_era + era * 400 + (out.wMonth <= 2 ? 1 : 0));
}

}  // namespace

bool FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  // The zone may have changed since the last call.
  ::tzset();
  const time_t now = ::time(nullptr);
  struct tm parts;
  if (::localtime_r(&now, &parts) == nullptr) return FailWithErrno();
  const int64_t shift = static_cast<int64_t>(parts.tm_gmtoff) * kTicksPerSecond;
  const uint64_t time = Join(*utc);
  if ((shift < 0 && time < static_cast<uint64_t>(-shift)) ||
      (shift > 0 && time > UINT64_MAX - static_cast<uint64_t>(shift))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const uint64_t shifted = time + static_cast<uint64_t>(shift);
  local->dwLowDateTime = static_cast<uint32_t>(shifted);
  local->dwHighDateTime = static_cast<uint32_t>(shifted >> 32);
  return true;
}

bool FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system_time) {
  const uint64_t ticks = Join(*time);
  if (ticks >> 63) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto milliseconds = static_cast<int64_t>(ticks) / kTicksPerMillisecond;
  const int64_t days = milliseconds / kMillisecondsPerDay;  // since 1601-01-01, a Monday
  int64_t rest = milliseconds % kMillisecondsPerDay;
  SYSTEMTIME out{};
  // 1601-01-01 is day 306 after 1600-03-01.
  CivilFromDays(days + 306, out);
  out.wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);
  out.wHour = static_cast<uint16_t>(rest / 3'600'000);
  rest %= 3'600'000;
  out.wMinute = static_cast<uint16_t>(rest / 60'000);
  rest %= 60'000;
  out.wSecond = static_cast<uint16_t>(rest / 1000);
  out.wMilliseconds = static_cast<uint16_t>(rest % 1000);
  *system_time = out;
  return true;
}
