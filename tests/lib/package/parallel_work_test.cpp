// Work spread over the cores when memory is short: threads that cannot be
// started leave their pieces to the others, in a child process limited as
// by `ulimit -v`.
#include "lib/package/parallel_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "tests/support/bounded_child.h"
#include "tests/support/temp_dir.h"

namespace {

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

}  // namespace
