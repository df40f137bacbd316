// The operator new of a test binary that links tarvex_test_allocator: it
// counts every allocation and the bytes asked, on every thread, and can
// make one allocation fail as when memory runs out.
#pragma once

#include <cstddef>

// Bytes asked of operator new so far.
size_t RequestedBytes();
// Allocations made so far.
size_t Allocations();
// The `nth` allocation from now on (1: the next) throws std::bad_alloc,
// and only that one; 0: none fails.
void FailAllocation(size_t nth);
