#include "platform/kernel/file_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>

namespace {

FILETIME Make(uint64_t ticks) {
  return {static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kUnixEpoch = 116'444'736'000'000'000;  // 1970-01-01 as a file time

class ScopedZone {
 public:
  explicit ScopedZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedZone() {
    had_ ? ::setenv("TZ", old_.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
  }

 private:
  bool had_;
  std::string old_;
};

}  // namespace

TEST(FileTimeToSystemTime, SplitsTheCalendar) {
  struct Case {
    uint64_t ticks;
    SYSTEMTIME expected;  // year, month, day of week, day, h, m, s, ms
  } cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {kUnixEpoch, {1970, 1, 4, 1, 0, 0, 0, 0}},
      // 2000-02-29 23:59:59.999 (a leap day of a year divisible by 400)
      {kUnixEpoch + 951868799ull * kTicksPerSecond + 9'990'000, {2000, 2, 2, 29, 23, 59, 59, 999}},
      // 1900-03-01 (1900 has no leap day), a Thursday
      {kUnixEpoch - 2203891200ull * kTicksPerSecond, {1900, 3, 4, 1, 0, 0, 0, 0}},
      // 2024-12-31 12:34:56.789, a Tuesday
      {kUnixEpoch + 1735648496ull * kTicksPerSecond + 7'890'000,
       {2024, 12, 2, 31, 12, 34, 56, 789}},
  };
  for (const Case& c : cases) {
    const FILETIME time = Make(c.ticks);
    SYSTEMTIME got{};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &got)) << c.ticks;
    const SYSTEMTIME& e = c.expected;
    EXPECT_EQ(std::tie(got.wYear, got.wMonth, got.wDayOfWeek, got.wDay, got.wHour, got.wMinute,
                       got.wSecond, got.wMilliseconds),
              std::tie(e.wYear, e.wMonth, e.wDayOfWeek, e.wDay, e.wHour, e.wMinute, e.wSecond,
                       e.wMilliseconds))
        << c.ticks;
  }
  const FILETIME too_late = Make(1ull << 63);
  SYSTEMTIME got{};
  EXPECT_FALSE(FileTimeToSystemTime(&too_late, &got));
  const FILETIME last = Make((1ull << 63) - 1);
  ASSERT_TRUE(FileTimeToSystemTime(&last, &got));
  EXPECT_EQ(got.wYear, 30828);
}

// The shift is the offset in effect now, whatever the instant converted:
// Moscow kept +4 in the summer of 2010, and +3 is used for it all the same.
TEST(FileTimeToLocalFileTime, ShiftsByTheCurrentOffset) {
  struct Case {
    const char* zone;
    int64_t offset_seconds;
  } cases[] = {{"UTC", 0},
               {"Europe/Moscow", 3 * 3600},
               {"Asia/Kolkata", 5 * 3600 + 1800},
               {"America/Argentina/Buenos_Aires", -3 * 3600}};
  const uint64_t summer_2010 = kUnixEpoch + uint64_t{1'277'000'000} * kTicksPerSecond;
  for (const Case& c : cases) {
    ScopedZone zone(c.zone);
    for (const uint64_t instant : {kUnixEpoch, summer_2010}) {
      const FILETIME utc = Make(instant);
      FILETIME local{};
      ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
      EXPECT_EQ(static_cast<int64_t>(Ticks(local) - instant),
                c.offset_seconds * static_cast<int64_t>(kTicksPerSecond))
          << c.zone;
    }
  }
  const FILETIME early = Make(1);
  FILETIME local{};
  ScopedZone west("America/Argentina/Buenos_Aires");
  EXPECT_FALSE(FileTimeToLocalFileTime(&early, &local));  // before 1601 locally
}
