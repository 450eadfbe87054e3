#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>

#include "cli/pool.h"
#include "cli/progress.h"
#include "cli/summary.h"

namespace {

TEST(Pool, RunsEveryTaskOnceOnAnyNumberOfThreads) {
  for (const unsigned jobs : {1u, 2u, 7u}) {
    std::vector<std::atomic<int>> runs(100);
    std::atomic<int> ticks{0};
    const size_t ran = run_pool(runs.size(), jobs, [&](size_t i) { runs[i]++; }, [] { return false; },
                                [&] { ticks++; });
    EXPECT_EQ(ran, runs.size());
    for (const auto& count : runs) EXPECT_EQ(count.load(), 1);
    EXPECT_GE(ticks.load(), 1);
  }
  EXPECT_EQ(run_pool(0, 4, [](size_t) { FAIL(); }, [] { return false; }, [] {}), 0u);
}

TEST(Pool, TwoJobsRunTwoTasksAtOnce) {
  std::mutex mutex;
  std::condition_variable changed;
  int active = 0, most = 0;
  run_pool(
      4, 2,
      [&](size_t) {
        std::unique_lock<std::mutex> lock(mutex);
        most = std::max(most, ++active);
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(5), [&] { return most >= 2; });
        --active;
      },
      [] { return false; }, [] {});
  EXPECT_EQ(most, 2);
}

TEST(Pool, StopLetsRunningTasksFinishAndStartsNoMore) {
  std::atomic<bool> stop{false};
  std::atomic<int> finished{0};
  const size_t ran = run_pool(
      1000, 2,
      [&](size_t i) {
        if (i == 5) stop = true;
        finished++;
      },
      [&] { return stop.load(); }, [] {});
  EXPECT_EQ(ran, static_cast<size_t>(finished.load()));
  EXPECT_LT(ran, 20u);
}

TEST(Progress, TextShowsCountRateElapsedAndEta) {
  EXPECT_EQ(progress_text(10, 40, 20'000'000, 4.0), "10/40 files, 5.0 MB/s, 0:04 elapsed, ETA 0:12");
  EXPECT_EQ(progress_text(0, 40, 0, 0.0), "0/40 files, 0.0 MB/s, 0:00 elapsed, ETA ?");
  EXPECT_EQ(progress_text(1, 2, 0, 3725.0), "1/2 files, 0.0 MB/s, 1:02:05 elapsed, ETA 1:02:05");
}

TEST(Progress, RedrawsAtMostTenTimesASecondAndEndsTheLine) {
  char buffer[4096] = {};
  FILE* stream = fmemopen(buffer, sizeof buffer - 1, "w");
  ASSERT_NE(stream, nullptr);
  const auto start = std::chrono::steady_clock::now();
  ProgressLine line(stream, true, 3);
  for (int i = 0; i < 1000; ++i) line.update(1, 0);
  const auto tenths = (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(100);
  line.finish(3, 0);
  std::fclose(stream);
  const std::string text = buffer;
  // One draw at once, at most one more per tenth of a second, and the last.
  const auto draws = std::count(text.begin(), text.end(), '\r');
  EXPECT_GE(draws, 2) << text;
  EXPECT_LE(draws, 2 + tenths) << text;
  EXPECT_EQ(text.back(), '\n');
  EXPECT_NE(text.find("\r3/3 files"), std::string::npos);

  ProgressLine silent(stderr, false, 3);
  testing::internal::CaptureStderr();
  silent.update(1, 0);
  silent.finish(3, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Summary, CountsReportsInOrderAndChoosesTheExitStatus) {
  const std::vector<FileOutcome> outcomes = {{Outcome::Converted, {}, {}},
                                             {Outcome::Failed, "b.png", "Unable to open file"},
                                             {Outcome::Skipped, "c.png", {}},
                                             {Outcome::Skipped, "d.png", "skipped: same output as e.bmp"},
                                             {Outcome::NotRun, {}, {}}};
  char buffer[1024] = {};
  FILE* stream = fmemopen(buffer, sizeof buffer - 1, "w");
  print_summary(stream, outcomes, true);
  std::fclose(stream);
  EXPECT_STREQ(buffer,
               "wsqconv: b.png: Unable to open file\n"
               "wsqconv: d.png: skipped: same output as e.bmp\n"
               "1 converted, 1 failed, 2 skipped\n"
               "wsqconv: interrupted, 1 files not started\n");
  const Counts counts = count_outcomes(outcomes);
  EXPECT_EQ(exit_status(counts, true), 130);
  EXPECT_EQ(exit_status(counts, false), 1);
  EXPECT_EQ(exit_status(Counts{3, 0, 2, 0}, false), 0);
}

}  // namespace
