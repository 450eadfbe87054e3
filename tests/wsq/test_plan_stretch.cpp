// Plans stretched from a shorter line against plans walked over every
// sample, field for field and bit for bit: the codec's own filters on every
// line length up to 1200, and random filters of many shapes (odd and even,
// one tap to the longest a table holds) on lengths around and well above
// the shortest stretched line, both inversion flags.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

#include "wsq/line_plan.h"
#include "wsq/transform.h"

namespace {

using PlanMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t);

void expect_same_plan(const LinePlan& walked, const LinePlan& made) {
  ASSERT_EQ(walked.outputs.size(), made.outputs.size());
  for (std::size_t p = 0; p < walked.outputs.size(); ++p) {
    const LinePlan::Output& a = walked.outputs[p];
    const LinePlan::Output& b = made.outputs[p];
    ASSERT_EQ(a.start, b.start) << "output " << p;
    ASSERT_EQ(a.first, b.first) << "output " << p;
    ASSERT_EQ(a.taps, b.taps) << "output " << p;
  }
  ASSERT_EQ(walked.index, made.index);
  ASSERT_EQ(walked.coefficient.size(), made.coefficient.size());
  for (std::size_t t = 0; t < walked.coefficient.size(); ++t) {
    ASSERT_EQ(std::bit_cast<uint32_t>(walked.coefficient[t]),
              std::bit_cast<uint32_t>(made.coefficient[t]))
        << "tap " << t;
  }
  ASSERT_EQ(walked.rows.margins.size(), made.rows.margins.size());
  ASSERT_EQ(walked.rows.runs.size(), made.rows.runs.size());
  ASSERT_EQ(walked.rows.positions, made.rows.positions);
  ASSERT_EQ(walked.rows.singles, made.rows.singles);
}

void check_lengths(PlanMaker walk, PlanMaker make, const FilterPair& filters,
                   const std::vector<int32_t>& lengths) {
  for (int32_t length : lengths) {
    for (int32_t invert : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << filters.hsize << "/" << filters.lsize << " taps, length "
                                        << length << " invert " << invert);
      expect_same_plan(walk(length, filters, invert), make(length, filters, invert));
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

void check_codec_filters(PlanMaker walk, PlanMaker make) {
  const FilterPair filters{encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize};
  std::vector<int32_t> lengths;
  for (int32_t length = 0; length <= 1200; ++length) lengths.push_back(length);
  check_lengths(walk, make, filters, lengths);
}

struct Shape {
  int32_t hsize;
  int32_t lsize;
};

// Every pair of short filters, and a few long ones up to the longest a
// table holds.
std::vector<Shape> filter_shapes() {
  std::vector<Shape> shapes = {{32, 31}, {255, 254}, {255, 3}, {2, 254}, {7, 31}};
  for (int32_t hsize : {1, 2, 3, 4, 5, 6, 7, 8, 10, 13}) {
    for (int32_t lsize : {1, 2, 3, 4, 5, 9, 11, 12}) shapes.push_back({hsize, lsize});
  }
  return shapes;
}

void check_other_filters(PlanMaker walk, PlanMaker make) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (const Shape& shape : filter_shapes()) {
    std::vector<float> hi(shape.hsize), lo(shape.lsize);
    for (float& v : hi) v = value(random);
    for (float& v : lo) v = value(random);
    const FilterPair filters{hi.data(), shape.hsize, lo.data(), shape.lsize};
    // Around the shortest line that is stretched, and well beyond it.
    const int32_t shortest = shortest_stretched_line(filters);
    std::vector<int32_t> lengths;
    for (int32_t length = shortest - 2; length <= shortest + 9; ++length) lengths.push_back(length);
    lengths.push_back(3 * shortest + 1);
    lengths.push_back(3 * shortest + 4);
    check_lengths(walk, make, filters, lengths);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(PlanStretch, AnalysisPlansMatchTheWalkWithTheCodecFilters) {
  check_codec_filters(walked_analysis_plan, analysis_plan);
}

TEST(PlanStretch, SynthesisPlansMatchTheWalkWithTheCodecFilters) {
  check_codec_filters(walked_synthesis_plan, synthesis_plan);
}

TEST(PlanStretch, PlansMatchTheWalkWithFiltersOfOtherShapes) {
  check_other_filters(walked_analysis_plan, analysis_plan);
  check_other_filters(walked_synthesis_plan, synthesis_plan);
}

// A plan made for columns alone has every output and tap of the plan made
// for every use, and no row layout.
TEST(PlanStretch, ColumnPlansAreTheWholePlansWithoutTheirRowLayout) {
  using UseMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t, PlanUse);
  const FilterPair filters{encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize};
  for (UseMaker make : {UseMaker{analysis_plan}, UseMaker{synthesis_plan}}) {
    for (int32_t length = 0; length <= 600; length += 7) {
      for (int32_t invert : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "length " << length << " invert " << invert);
        const LinePlan whole = make(length, filters, invert, PlanUse::kRowsAndColumns);
        LinePlan columns = make(length, filters, invert, PlanUse::kColumns);
        EXPECT_TRUE(columns.rows.where.empty());
        EXPECT_TRUE(columns.rows.runs.empty());
        columns.rows = whole.rows;
        expect_same_plan(whole, columns);
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
