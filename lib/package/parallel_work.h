// Independent pieces of work of one library call, spread over the
// machine's cores. The threads live only within the call and touch only
// the bytes they are handed: the library's objects stay with the calling
// thread, and nothing runs once the call has returned.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// Runs `work(i)` for every index of `costs`, larger costs first, with at
// most `budget` of cost (bytes of memory, say) under way at once; a piece
// above the budget runs alone. Small batches run on the calling thread, and
// so does everything when no thread can be started.
// A thread that cannot be started, for its stack or its state, leaves its
// pieces to the threads started. The exception of the lowest index that
// failed is thrown again here, after every piece has ended: a failed
// allocation of the work as std::bad_alloc, which the library's safe
// wrapper hands on as EOutOfMemory.
void RunInParallel(const std::vector<size_t>& costs, size_t budget,
                   const std::function<void(size_t)>& work);
