// The coverage callback of GCC's -fsanitize-coverage=trace-pc, fed into
// AFL++'s edge map. AFL++'s own GCC plugin refuses a compiler whose build
// differs from the one it was made with, so the harnesses are instrumented
// by GCC itself and this maps each basic block to a location of the map.
#include <cstdint>

extern "C" void __afl_trace(uint32_t location);
// The start of the executable's image: block addresses are taken relative
// to it, so that they do not move with address-space randomisation.
extern "C" char __executable_start;

extern "C" __attribute__((no_sanitize_coverage)) void __sanitizer_cov_trace_pc() {
  const auto block = reinterpret_cast<uintptr_t>(__builtin_return_address(0)) -
                     reinterpret_cast<uintptr_t>(&__executable_start);
  // A multiplicative hash spreads the offsets over the 64 KiB map.
  __afl_trace((static_cast<uint32_t>(block) * 2654435761u) >> 16);
}
