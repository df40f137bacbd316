#include "lib/package/parallel_work.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

// Below this much work in all, starting threads costs more than it saves.
constexpr size_t kInlineCost = size_t{1} << 20;

}  // namespace

void RunInParallel(const std::vector<size_t>& costs, size_t budget,
                   const std::function<void(size_t)>& work) {
  const size_t count = costs.size();
  std::vector<std::exception_ptr> errors(count);
  const size_t total = std::accumulate(costs.begin(), costs.end(), size_t{0});
  const size_t threads = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), count);
  if (threads <= 1 || total < kInlineCost) {
    for (size_t i = 0; i < count; ++i) {
      try {
        work(i);
      } catch (...) {
        errors[i] = std::current_exception();
      }
    }
  } else {
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return costs[a] > costs[b]; });
    std::mutex mutex;
    std::condition_variable done;
    size_t next = 0;
    size_t under_way = 0;
    const auto worker = [&] {
      for (;;) {
        size_t index = 0;
        {
          std::unique_lock lock(mutex);
          done.wait(lock, [&] {
            return next == count || under_way == 0 || under_way + costs[order[next]] <= budget;
          });
          if (next == count) return;
          index = order[next++];
          under_way += costs[index];
        }
        try {
          work(index);
        } catch (...) {
          errors[index] = std::current_exception();
        }
        {
          const std::lock_guard lock(mutex);
          under_way -= costs[index];
        }
        done.notify_all();
      }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (size_t i = 0; i < threads; ++i) {
      try {
        pool.emplace_back(worker);
      } catch (...) {
        // No room for another thread's stack or its state, as under a low
        // memory limit: the threads started do the work, or else the
        // calling thread. Leaving here would drop threads still joinable.
        break;
      }
    }
    if (pool.empty()) worker();
    for (std::thread& thread : pool) thread.join();
  }
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
}
