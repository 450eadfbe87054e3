// The worker pool runs every task exactly once, on a thread number within
// the pool, for any thread count, and can be reused run after run.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "wsq/worker_pool.h"

namespace {

TEST(WorkerPool, RunsEveryTaskOnceForAnyThreadCount) {
  for (int32_t threads : {-1, 0, 1, 2, 5}) {
    WorkerPool pool(threads);
    EXPECT_GE(pool.size(), 1);
    EXPECT_LE(pool.size(), std::max(threads, 1));
    for (int32_t count : {0, 1, 3, 100}) {
      std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
      std::atomic<bool> thread_in_range{true};
      pool.run(count, [&](int32_t index, int32_t thread) {
        runs[static_cast<size_t>(index)]++;
        if (thread < 0 || thread >= pool.size()) thread_in_range = false;
      });
      for (const auto& r : runs) EXPECT_EQ(r.load(), 1) << threads << " threads, " << count;
      EXPECT_TRUE(thread_in_range);
    }
  }
}

// Runs follow one another closely in a transform, while workers may still
// be waking from the run before: every run must return only once all its
// tasks are done, and no task may run once its run has returned.
TEST(WorkerPool, BackToBackRunsEachFinishBeforeTheNextStarts) {
  WorkerPool pool(3);
  std::atomic<int32_t> current{-1};
  std::atomic<bool> stray{false};
  for (int32_t r = 0; r < 400; ++r) {
    const int32_t count = 1 + r % 6;
    std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
    current = r;
    pool.run(count, [&, r](int32_t index, int32_t) {
      // Long enough that a task still running on a worker when its run
      // returns would be seen.
      std::atomic<int> busy{0};
      for (int k = 0; k < 20000; ++k) busy.store(k, std::memory_order_relaxed);
      if (current.load() != r) stray = true;
      runs[static_cast<size_t>(index)]++;
    });
    for (const auto& x : runs) ASSERT_EQ(x.load(), 1) << "run " << r;
  }
  EXPECT_FALSE(stray);
}

TEST(WorkerPool, HoldsHugeCountsToItsCeiling) {
  // A caller's careless or hostile count must not start a thread per unit.
  WorkerPool pool(1'000'000);
  EXPECT_LE(pool.size(), kMaxCodecThreads);
  std::atomic<int> runs{0};
  pool.run(200, [&](int32_t, int32_t) { runs++; });
  EXPECT_EQ(runs.load(), 200);
}

TEST(WorkerPool, RangesCoverEachIndexOnce) {
  WorkerPool pool(3);
  for (int64_t count : {1, 7, 1000}) {
    std::vector<std::atomic<int>> seen(static_cast<size_t>(count));
    for_each_range(&pool, count, [&](int64_t begin, int64_t end) {
      for (int64_t i = begin; i < end; ++i) seen[static_cast<size_t>(i)]++;
    });
    for (const auto& s : seen) EXPECT_EQ(s.load(), 1);
  }
  int64_t alone = 0;
  for_each_range(nullptr, 10, [&](int64_t begin, int64_t end) { alone += end - begin; });
  EXPECT_EQ(alone, 10);
}

}  // namespace
