// Work spread over the cores when memory is short: threads that cannot be
// started leave their pieces to the others, in a child process limited as
// by `ulimit -v` or whose allocations fail one by one.
#include "lib/package/parallel_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "lib/foundation/base_class.h"
#include "tests/support/bounded_child.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/temp_dir.h"

namespace {

// Pieces that each allocate, run as the library's operations run them:
// through the safe wrapper, which hands a failed allocation on as
// EOutOfMemory.
class CPieces : public CBaseClass {
 public:
  // How many pieces were done.
  int Run() {
    return Safe([] {
      std::atomic<int> done{0};
      const std::vector<size_t> costs(64, size_t{1} << 20);
      RunInParallel(costs, size_t{64} << 20, [&](size_t i) {
        const std::string piece(100 + i, 'x');
        if (piece.size() > i) ++done;
      });
      return done.load();
    });
  }
};

TEST(ParallelWork, EveryPieceIsDoneWhenFewOrNoThreadsCanStart) {
  const TempDir dir;
  // Each thread's stack takes 8 MiB of address space: none starts within
  // 4 MiB, one or two within 20 MiB.
  for (const size_t most : {size_t{4} << 20, size_t{20} << 20}) {
    const auto work = [] {
      std::atomic<int> done{0};
      const std::vector<size_t> costs(64, size_t{1} << 20);
      RunInParallel(costs, size_t{64} << 20, [&](size_t) { ++done; });
      return std::to_string(done.load());
    };
    EXPECT_EQ("64", InBoundedChild(most, work, dir.File("answer"))) << most;
  }
}

TEST(ParallelWork, AnAllocationThatFailsAnywhereInTheCallNeverEndsTheProcess) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's allocator stands in for the test's operator new";
#endif
  const TempDir dir;
  // The allocations of a call where none fails, threads started included.
  const size_t before = Allocations();
  ASSERT_EQ(64, CPieces().Run());
  const size_t during = Allocations() - before;
  ASSERT_GT(during, 64u);
  // Allocation k of the call fails, for every k, in a child process: the
  // pieces are all done, or the caller gets the error; a thread whose
  // state could not be allocated leaves its pieces to the others.
  int done = 0;
  int refused = 0;
  for (size_t k = 1; k <= during; ++k) {
    const std::string outcome = InBoundedChild(
        size_t{1} << 30,
        [&] {
          CPieces pieces;
          int count = -1;
          std::string error;
          FailAllocation(k);
          try {
            count = pieces.Run();
          } catch (const EOutOfMemory& out_of_memory) {
            FailAllocation(0);
            error = out_of_memory.Message();
          }
          FailAllocation(0);
          return error.empty() ? std::to_string(count) : error;
        },
        dir.File("answer"));
    if (outcome == "64") {
      ++done;
    } else {
      EXPECT_EQ(OutOfMemoryError().Message(), outcome) << k;
      ++refused;
    }
  }
  // Which allocation is the k-th varies with the threads' timing; but a
  // piece's own failed allocation reaches the caller, and the state of the
  // first thread, allocated before any piece runs, is made up for.
  EXPECT_GT(refused, 0);
  if (std::thread::hardware_concurrency() > 1) {
    EXPECT_GT(done, 0);
  }
}

}  // namespace
