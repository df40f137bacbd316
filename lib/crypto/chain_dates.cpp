#include "lib/crypto/chain_dates.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "lib/foundation/file_time.h"

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116'444'736'000'000'000;
constexpr int64_t kMillisecondsPerDay = 86'400'000;

struct DateParts {
  int64_t year;
  unsigned month, day;
  int64_t hour, minute, second;
};

// The calendar day of a count of days since 1899-12-30 (proleptic
// Gregorian).
void CivilFromOleDays(int64_t ole_days, DateParts& parts) {
  const int64_t z = ole_days - 25569 + 719468;  // days since 0000-03-01
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  parts.day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  parts.month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  parts.year = yoe + era * 400 + (parts.month <= 2);
}

// Before the epoch the whole days count back while the time of day still
// counts forward: -1.5 is 1899-12-29 12:00. The time is rounded to the
// millisecond and then cut to the second.
DateParts Decode(double date) {
  double whole = std::trunc(date);
  int64_t ms = std::llround(std::fabs(date - whole) * kMillisecondsPerDay);
  if (ms >= kMillisecondsPerDay) {
    ms -= kMillisecondsPerDay;
    whole += date < 0 ? -1 : 1;
  }
  DateParts parts{};
  CivilFromOleDays(static_cast<int64_t>(whole), parts);
  const int64_t seconds = ms / 1000;
  parts.hour = seconds / 3600;
  parts.minute = seconds / 60 % 60;
  parts.second = seconds % 60;
  return parts;
}

std::string ShortDate(const DateParts& parts) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u.%02u.%04lld", parts.day, parts.month,
                static_cast<long long>(parts.year));
  return text;
}

}  // namespace

double LocalNow() {
  const auto since_1970 =
      std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>>(
          std::chrono::system_clock::now().time_since_epoch());
  const uint64_t ticks = static_cast<uint64_t>(since_1970.count() + kUnixEpochTicks);
  const FILETIME now{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
  return FileTimeToDateTime(now);
}

std::string DateTimeText(double date) {
  const DateParts parts = Decode(date);
  std::string text = ShortDate(parts);
  if (parts.hour == 0 && parts.minute == 0 && parts.second == 0) return text;
  char time[32];
  std::snprintf(time, sizeof time, " %lld:%02lld:%02lld", static_cast<long long>(parts.hour),
                static_cast<long long>(parts.minute), static_cast<long long>(parts.second));
  return text + time;
}

std::string DateText(double date) { return ShortDate(Decode(date)); }
