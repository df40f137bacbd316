#include "lib/crypto/signing_time.h"

#include <chrono>
#include <cstdint>

FILETIME CurrentUtcFileTime() {
  // File times count 100-nanosecond intervals from 1601-01-01.
  constexpr uint64_t kUnixEpochTicks = 116444736000000000ULL;
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  const uint64_t ticks =
      kUnixEpochTicks +
      static_cast<uint64_t>(
          std::chrono::duration_cast<std::chrono::nanoseconds>(since_epoch).count() / 100);
  return FILETIME{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}
