// The row layout of the codec's own filters: runs are stretched to the ends
// of every line long enough to hold them, and the room beside each segment
// only ever holds copies of the row's own samples. (Whether the kernels give
// the reference's results is checked for every kernel set elsewhere.)
#include <gtest/gtest.h>

#include "wsq/line_plan.h"
#include "wsq/transform.h"

namespace {

const FilterPair kCodecFilters{encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize};

using PlanMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t);

void check_layouts(PlanMaker make_plan) {
  for (int32_t length = 4 * RowLayout::kMinRun; length <= 300; ++length) {
    for (int32_t invert : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "length " << length << " invert " << invert);
      const LinePlan plan = make_plan(length, kCodecFilters, invert);
      const RowLayout& rows = plan.rows;
      EXPECT_TRUE(rows.singles.empty());
      int32_t covered = 0;
      for (const RowLayout::Run& r : rows.runs) covered += r.count;
      EXPECT_EQ(covered, length);
      std::vector<bool> sample(row_scratch_size(length), false);
      for (int32_t at : rows.where) {
        ASSERT_GE(at, 0);
        ASSERT_LT(at, static_cast<int32_t>(sample.size()));
        sample[at] = true;
      }
      for (const RowLayout::Margin& m : rows.margins) {
        EXPECT_FALSE(sample[m.to]);
        EXPECT_TRUE(sample[m.from]);
      }
    }
  }
}

TEST(RowLayout, AnalysisRunsReachBothEndsOfTheLine) { check_layouts(analysis_plan); }

TEST(RowLayout, SynthesisRunsReachBothEndsOfTheLine) { check_layouts(synthesis_plan); }

}  // namespace
