// The row layout of the codec's own filters: runs are stretched to the ends
// of every line long enough to hold them, and the room beside each segment
// only ever holds copies of the row's own samples, also for filters of other
// shapes. (Whether the kernels give the reference's results is checked for
// every kernel set elsewhere.)
#include <gtest/gtest.h>

#include <random>

#include "wsq/line_plan.h"
#include "wsq/transform.h"

namespace {

const FilterPair kCodecFilters{encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize};

using PlanMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t);

// Every sample of the row has its own place in scratch, every copy into the
// room comes from one of them, and every written output is in exactly one
// run or among the singles.
void check_places(const LinePlan& plan, int32_t length) {
  const RowLayout& rows = plan.rows;
  std::vector<bool> sample(row_scratch_size(length), false);
  ASSERT_EQ(static_cast<int32_t>(rows.where.size()), length);
  for (int32_t at : rows.where) {
    ASSERT_GE(at, 0);
    ASSERT_LT(at, static_cast<int32_t>(sample.size()));
    ASSERT_FALSE(sample[at]);
    sample[at] = true;
  }
  for (const RowLayout::Margin& m : rows.margins) {
    ASSERT_GE(m.to, 0);
    ASSERT_LT(m.to, static_cast<int32_t>(sample.size()));
    EXPECT_FALSE(sample[m.to]);
    EXPECT_TRUE(sample[m.from]);
  }
  std::vector<int32_t> takers(length, 0);
  for (const RowLayout::Run& r : rows.runs) {
    for (int32_t k = 0; k < r.count; ++k) ++takers[r.first + k * rows.step];
  }
  for (int32_t p : rows.singles) ++takers[p];
  for (int32_t p = 0; p < length; ++p) {
    const bool written = plan.outputs[p].start != LinePlan::Start::kUntouched;
    EXPECT_EQ(takers[p], written ? 1 : 0) << "output " << p;
  }
}

// The first sample the runs read in each segment starts a cache line.
void check_alignment(const RowLayout& rows) {
  std::vector<int32_t> first(rows.segments.size(), -1);
  for (int32_t at : rows.positions) {
    const int32_t s = segment_at(rows, at);
    ASSERT_GE(s, 0);
    if (first[s] < 0 || at < first[s]) first[s] = at;
  }
  for (int32_t at : first) EXPECT_EQ(at % RowLayout::kAlignment, 0) << "segment from " << at;
}

void check_layouts(PlanMaker make_plan) {
  for (int32_t length = 4 * RowLayout::kMinRun; length <= 300; ++length) {
    for (int32_t invert : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "length " << length << " invert " << invert);
      const LinePlan plan = make_plan(length, kCodecFilters, invert);
      EXPECT_TRUE(plan.rows.singles.empty());
      check_places(plan, length);
      check_alignment(plan.rows);
    }
  }
}

// Filters of even and odd lengths up to 255 taps, on lines from 5 samples.
void check_other_filters(PlanMaker make_plan) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int32_t hsize : {1, 2, 6, 7, 10, 255}) {
    for (int32_t lsize : {1, 4, 9, 11, 254}) {
      std::vector<float> hi(hsize), lo(lsize);
      for (float& v : hi) v = value(random);
      for (float& v : lo) v = value(random);
      const FilterPair filters{hi.data(), hsize, lo.data(), lsize};
      for (int32_t length = 5; length <= 140; length += 9) {
        for (int32_t invert : {0, 1}) {
          SCOPED_TRACE(::testing::Message() << hsize << "/" << lsize << " taps, length " << length
                                            << " invert " << invert);
          check_places(make_plan(length, filters, invert), length);
          if (::testing::Test::HasFatalFailure()) return;
        }
      }
    }
  }
}

TEST(RowLayout, AnalysisRunsReachBothEndsOfTheLine) { check_layouts(analysis_plan); }

TEST(RowLayout, SynthesisRunsReachBothEndsOfTheLine) { check_layouts(synthesis_plan); }

TEST(RowLayout, OtherFiltersKeepEverySampleInItsPlace) {
  check_other_filters(analysis_plan);
  check_other_filters(synthesis_plan);
}

}  // namespace
