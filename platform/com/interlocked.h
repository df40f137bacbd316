// Interlocked counts: atomic changes of a 32-bit count, returning the new value.
#pragma once

#include <atomic>
#include <cstdint>

inline int32_t InterlockedIncrement(int32_t* count) {
  return std::atomic_ref<int32_t>(*count).fetch_add(1) + 1;
}

inline int32_t InterlockedDecrement(int32_t* count) {
  return std::atomic_ref<int32_t>(*count).fetch_sub(1) - 1;
}
