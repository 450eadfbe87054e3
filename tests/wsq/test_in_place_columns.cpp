// A band of columns filtered in place by apply_line_plan_to_columns with the
// run of in_place_outputs, against the whole plan applied from an untouched
// copy: bit for bit, for analysis and
// synthesis plans of every length from 5 to 300, both inversion flags, and
// random filters of several shapes besides the codec's own.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "wsq/line_plan.h"
#include "wsq/transform.h"
#include "wsq/transform_bands.h"

namespace {

using PlanMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t);

constexpr int32_t kLines = 37;  // a group of vectors and a few lines alone
constexpr int32_t kPitch = 41;  // the plane is wider than the band

void check_plan(const LinePlan& plan, int32_t length, std::mt19937& random) {
  std::uniform_real_distribution<float> value(-300.0f, 300.0f);
  std::vector<float> plane(static_cast<std::size_t>(length) * kPitch);
  for (float& v : plane) v = value(random);
  const LineLayout columns{1, kPitch};

  std::vector<float> expected = plane;
  apply_line_plan(expected.data(), columns, plane.data(), columns, kLines, plan, {0, length});

  const OutputRange direct = in_place_outputs(plan);
  std::vector<float> scratch(static_cast<std::size_t>(length) * kLines);
  std::vector<float> made = plane;
  apply_line_plan_to_columns(made.data(), kPitch, kLines, plan, direct, scratch.data());
  for (int32_t r = 0; r < length; ++r) {
    for (int32_t j = 0; j < kLines; ++j) {
      const std::size_t at = static_cast<std::size_t>(r) * kPitch + j;
      ASSERT_EQ(std::memcmp(&expected[at], &made[at], sizeof(float)), 0)
          << "output " << r << " line " << j << ", in place [" << direct.begin << ", " << direct.end
          << ")";
    }
  }
}

void check_filters(PlanMaker make_plan, const FilterPair& filters, std::mt19937& random) {
  for (int32_t length = 5; length <= 300; ++length) {
    for (int32_t invert : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << filters.hsize << "/" << filters.lsize << " taps, length "
                                        << length << " invert " << invert);
      check_plan(make_plan(length, filters, invert), length, random);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

void check_maker(PlanMaker make_plan) {
  std::mt19937 random(7);
  check_filters(make_plan, {encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize},
                random);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (const auto& [hsize, lsize] :
       std::vector<std::pair<int32_t, int32_t>>{{2, 3}, {6, 10}, {11, 4}, {3, 1}}) {
    std::vector<float> hi(hsize), lo(lsize);
    for (float& v : hi) v = value(random);
    for (float& v : lo) v = value(random);
    check_filters(make_plan, {hi.data(), hsize, lo.data(), lsize}, random);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(InPlaceColumns, SynthesisMatchesTheWholePlanThroughScratch) { check_maker(synthesis_plan); }

TEST(InPlaceColumns, AnalysisMatchesTheWholePlanThroughScratch) { check_maker(analysis_plan); }

}  // namespace
