// Checks of time-outs that hold on a loaded machine: a wait that a time-out
// ends must last at least that time-out, and must end long before the
// default that would apply were the option lost. Nothing in between is
// asserted, so the sanitizers and a busy CI runner leave them alone.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

// The shortest default the time-outs under test replace (the receive
// time-out's 30 s) is three times this bound.
inline constexpr std::chrono::seconds kWellBeforeTheDefaults{10};

// Runs `step`, whose wait a time-out of `limit` ends. A tenth of the limit
// is left to the clocks' rounding: a wait cut short by a fault is far
// shorter.
template <typename Step>
void ExpectEndedByTimeOut(std::chrono::milliseconds limit, Step step) {
  const auto started = std::chrono::steady_clock::now();
  step();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_GE(took, limit * 9 / 10);
  EXPECT_LT(took, kWellBeforeTheDefaults);
}
