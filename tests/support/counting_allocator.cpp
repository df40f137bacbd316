#include "tests/support/counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> requested_bytes{0};
std::atomic<size_t> allocations{0};
// The number of the allocation that fails; 0: none.
std::atomic<size_t> failing{0};

}  // namespace

size_t RequestedBytes() { return requested_bytes.load(); }

size_t Allocations() { return allocations.load(); }

void FailAllocation(size_t nth) { failing = nth == 0 ? 0 : allocations.load() + nth; }

void* operator new(size_t size) {
  requested_bytes += size;
  if (++allocations == failing.load()) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
// The deletes stay out of line: where GCC 12 at -O1 or -Os inlines one, it
// sees free() given what operator new returned and warns of a mismatch, a
// false alarm here, where new takes its blocks from malloc.
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, size_t) noexcept { std::free(block); }
