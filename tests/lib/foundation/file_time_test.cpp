#include "lib/foundation/file_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "tests/support/run_command.h"

namespace {

constexpr int64_t kTicksPerMillisecond = 10'000;
constexpr int64_t kUnixEpoch = 116'444'736'000'000'000;  // 1970-01-01 as a file time

FILETIME FromUnixMilliseconds(int64_t ms) {
  const auto ticks = static_cast<uint64_t>(kUnixEpoch + ms * kTicksPerMillisecond);
  return {static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

void SetZone(const char* zone) {
  ::setenv("TZ", zone, 1);
  ::tzset();
}

}  // namespace

// Python's datetime computes the same dates: the instant shifted by the
// offset in effect now, as days since 1899-12-30.
TEST(FileTimeToDateTime, AgreesWithPythonInBothZones) {
  const int64_t instants[] = {
      0,                   // 1970-01-01
      1,                   // one millisecond later
      -2'208'988'800'000,  // 1900-01-01
      951'868'799'999,     // 2000-02-29 23:59:59.999
      1'277'000'000'123,   // summer 2010, when Moscow kept +4
      1'735'648'496'789,   // 2024-12-31 12:34:56.789
      4'102'444'800'000,   // 2100-01-01
  };
  std::string arguments;
  for (const int64_t ms : instants) {
    arguments += ' ';
    arguments += std::to_string(ms);
  }
  const char* old_zone = std::getenv("TZ");
  const std::string saved = old_zone ? old_zone : "";
  for (const char* zone : {"UTC", "Europe/Moscow"}) {
    SCOPED_TRACE(zone);
    const CommandResult expected_days = RunCommand(
        std::string("TZ=") + zone +
        " python3 -c 'import sys, time\n"
        "from datetime import datetime, timedelta\n"
        "offset = time.localtime().tm_gmtoff\n"
        "for ms in sys.argv[1:]:\n"
        "    local = datetime(1970, 1, 1) + timedelta(milliseconds=int(ms), seconds=offset)\n"
        "    print(repr((local - datetime(1899, 12, 30)) / timedelta(days=1)))\n'" +
        arguments);
    ASSERT_EQ(expected_days.status, 0);
    std::istringstream expected(expected_days.output);
    SetZone(zone);
    for (const int64_t ms : instants) {
      double want = 0;
      ASSERT_TRUE(expected >> want);
      EXPECT_NEAR(FileTimeToDateTime(FromUnixMilliseconds(ms)), want, 1e-9) << ms;
    }
  }
  old_zone ? SetZone(saved.c_str()) : (::unsetenv("TZ"), ::tzset());
}

TEST(FileTimeToDateTime, ZeroAndDaysBeforeTheEpoch) {
  SetZone("Europe/Moscow");
  EXPECT_EQ(FileTimeToDateTime({0, 0}), 0.0);
  // 1899-12-29 12:00 local: whole days count back, the time of day forward.
  const int64_t noon_before = (-25'570LL * 86'400 + 12 * 3'600 - 3 * 3'600) * 1000;
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(FromUnixMilliseconds(noon_before)), -1.5);
  // 1899-12-30 06:00 local.
  const int64_t morning_of = (-25'569LL * 86'400 + 6 * 3'600 - 3 * 3'600) * 1000;
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(FromUnixMilliseconds(morning_of)), 0.25);
  ::unsetenv("TZ");
  ::tzset();
}
