#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "wsq/diagnostics.h"
#include "wsq/quantize.h"
#include "wsq/trees.h"

namespace {

int32_t area(const SubbandRect& r) { return r.lx * r.ly; }

TEST(CodedBlockSizes, AllSubbandsCodedAt545x622) {
  WsqTrees trees;
  build_wsq_trees(trees, 545, 622);
  QuantizerState state;
  state.bin_width.fill(1.0f);
  int32_t size1 = 0, size2 = 0, size3 = 0;
  coded_block_sizes(size1, size2, size3, state, trees.wavelet_tree, trees.subband_tree);
  EXPECT_EQ(size1, 21372);
  EXPECT_EQ(size2, 63531);
  EXPECT_EQ(size3, 169495);
}

TEST(CodedBlockSizes, UncodedSubbandsShrinkTheirBlock) {
  WsqTrees trees;
  build_wsq_trees(trees, 545, 622);
  QuantizerState state;
  state.bin_width.fill(1.0f);
  state.bin_width[2] = 0.0f;
  state.bin_width[40] = 0.0f;
  state.bin_width[59] = 0.0f;
  int32_t size1 = 0, size2 = 0, size3 = 0;
  coded_block_sizes(size1, size2, size3, state, trees.wavelet_tree, trees.subband_tree);
  EXPECT_EQ(size1, 21372 - area(trees.subband_tree[2]));
  EXPECT_EQ(size2, 63531 - area(trees.subband_tree[40]));
  EXPECT_EQ(size3, 169495 - area(trees.subband_tree[59]));
}

TEST(QuantizeCoefficient, ZeroBinAndRounding) {
  // Bin width 2.0, zero-bin width 2.4: Z = 1.2.
  EXPECT_EQ(quantize_coefficient(1.2f, 1.2f, 2.0f), 0);
  EXPECT_EQ(quantize_coefficient(-1.2f, 1.2f, 2.0f), 0);
  EXPECT_EQ(quantize_coefficient(1.3f, 1.2f, 2.0f), 1);
  EXPECT_EQ(quantize_coefficient(3.1f, 1.2f, 2.0f), 1);
  EXPECT_EQ(quantize_coefficient(3.3f, 1.2f, 2.0f), 2);
  EXPECT_EQ(quantize_coefficient(-3.3f, 1.2f, 2.0f), -2);
}

TEST(QuantizeCoefficient, ClampsToSixteenBits) {
  EXPECT_EQ(quantize_coefficient(1e6f, 0.5f, 1.0f), 32767);
  EXPECT_EQ(quantize_coefficient(-1e6f, 0.5f, 1.0f), -32768);
  EXPECT_EQ(quantize_coefficient(NAN, 0.5f, 1.0f), 0);
}

// A plane whose subband k holds the value k + 0.25 everywhere.
std::vector<float> labelled_plane(const WsqTrees& trees, int32_t width, int32_t height) {
  std::vector<float> plane(static_cast<size_t>(width) * height, 0.0f);
  for (int k = 0; k < kSubbandRectCount; ++k) {
    const SubbandRect& r = trees.subband_tree[k];
    for (int32_t y = r.y; y < r.y + r.ly; ++y) {
      for (int32_t x = r.x; x < r.x + r.lx; ++x) plane[y * width + x] = 20.0f * k + 0.25f;
    }
  }
  return plane;
}

class QuantizeTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = 130;
  static constexpr int32_t kHeight = 120;
  void SetUp() override {
    build_wsq_trees(trees, kWidth, kHeight);
    plane = labelled_plane(trees, kWidth, kHeight);
    state.r = 0.75f;
  }
  int32_t run(std::string* messages = nullptr) {
    CapturedDiagnostics captured;
    const int32_t result =
        quantize(sip, count, state, trees.subband_tree, plane.data(), kWidth, kHeight);
    if (messages) *messages = captured.text();
    return result;
  }
  WsqTrees trees;
  std::vector<float> plane;
  QuantizerState state;
  std::vector<int16_t> sip;
  int32_t count = -1;
};

TEST_F(QuantizeTest, PreliminaryWidthsFollowTheWeights) {
  state.variance.fill(100.0f);
  ASSERT_EQ(run(), 0);
  // All share one scale q, so the ratios of the final widths are those of
  // the preliminary ones: 1.0 for 0..3, 10 / (A ln v) for the others.
  const double w4 = 10.0 / std::log(100.0);
  EXPECT_NEAR(state.bin_width[0] / state.bin_width[4], 1.0 / w4, 1e-5);
  EXPECT_NEAR(state.bin_width[52] / state.bin_width[4], 1.0 / 1.32, 1e-5);
  EXPECT_NEAR(state.bin_width[54] / state.bin_width[4], 1.0 / 1.42, 1e-5);
  for (int k = 0; k < 60; ++k) {
    EXPECT_GT(state.bin_width[k], 0.0f) << k;
    EXPECT_FLOAT_EQ(state.zero_bin_width[k], 1.2f * state.bin_width[k]) << k;
  }
  for (int k = 60; k < 64; ++k) EXPECT_EQ(state.bin_width[k], 0.0f);
}

TEST_F(QuantizeTest, InsignificantSubbandIsAnnouncedAndNotCoded) {
  state.variance.fill(100.0f);
  state.variance[7] = 1.0f;
  std::string messages;
  ASSERT_EQ(run(&messages), 0);
  EXPECT_EQ(state.bin_width[7], 0.0f);
  EXPECT_EQ(messages, "7 -> 0.000000\n");
  int32_t size1 = 0, size2 = 0, size3 = 0;
  coded_block_sizes(size1, size2, size3, state, trees.wavelet_tree, trees.subband_tree);
  EXPECT_EQ(size1 + size2 + size3, count);
  int32_t all = 0;
  for (int k = 0; k < 60; ++k) all += area(trees.subband_tree[k]);
  EXPECT_EQ(count, all - area(trees.subband_tree[7]));
}

TEST_F(QuantizeTest, CoefficientsFollowSubbandOrder) {
  state.variance.fill(100.0f);
  state.variance[0] = 0.5f;
  ASSERT_EQ(run(), 0);
  // Subband 0 is skipped, so the array starts with subband 1's values.
  const float z = state.zero_bin_width[1] * 0.5f;
  EXPECT_EQ(sip[0], quantize_coefficient(20.25f, z, state.bin_width[1]));
  const int32_t first_of_2 = area(trees.subband_tree[1]);
  EXPECT_EQ(sip[first_of_2],
            quantize_coefficient(40.25f, state.zero_bin_width[2] * 0.5f, state.bin_width[2]));
  EXPECT_EQ(sip.size(), static_cast<size_t>(kWidth * kHeight));
}

TEST_F(QuantizeTest, DroppedSubbandStillGetsTheFinalWidth) {
  state.variance.fill(400.0f);
  state.variance[30] = 1.02f;  // very wide preliminary bin: dropped by the iteration
  ASSERT_EQ(run(), 0);
  const float q = static_cast<float>(10.0 / std::log(400.0)) / state.bin_width[10];
  const float preliminary = static_cast<float>(10.0 / std::log(1.02));
  EXPECT_NEAR(state.bin_width[30] * q / preliminary, 1.0, 1e-5);
  EXPECT_GE(state.bin_width[30], 5.0f * std::sqrt(1.02f));
  int32_t all = 0;
  for (int k = 0; k < 60; ++k) all += area(trees.subband_tree[k]);
  EXPECT_EQ(count, all);
}

TEST_F(QuantizeTest, NoSignificantSubbandCodesNothing) {
  state.variance.fill(0.0f);
  state.variance[12] = NAN;
  std::string messages;
  ASSERT_EQ(run(&messages), 0);
  EXPECT_EQ(count, 0);
  std::string expected;
  for (int k = 0; k < 60; ++k) expected += std::to_string(k) + " -> 0.000000\n";
  EXPECT_EQ(messages, expected);
  int32_t size1 = 0, size2 = 0, size3 = 0;
  coded_block_sizes(size1, size2, size3, state, trees.wavelet_tree, trees.subband_tree);
  EXPECT_EQ(size1, 0);
  EXPECT_EQ(size2, 0);
  EXPECT_EQ(size3, 0);
}

TEST(SubbandVariances, CentralWindowOfEachSubband) {
  WsqTrees trees;
  build_wsq_trees(trees, 200, 160);
  std::vector<float> plane(200 * 160, 0.0f);
  // Alternate +-3 over subband 20 only: variance about 9 (n / (n - 1) * 9).
  const SubbandRect& r = trees.subband_tree[20];
  for (int32_t y = r.y; y < r.y + r.ly; ++y) {
    for (int32_t x = r.x; x < r.x + r.lx; ++x) plane[y * 200 + x] = ((x + y) % 2) ? 3.0f : -3.0f;
  }
  QuantizerState state;
  subband_variances(state, trees.subband_tree, plane.data(), 200, 160);
  const int32_t n = ((3 * r.lx) / 4) * ((7 * r.ly) / 16);
  EXPECT_NEAR(state.variance[20], 9.0 * n / (n - 1), 0.2);
  EXPECT_EQ(state.variance[19], 0.0f);
  EXPECT_EQ(state.variance[21], 0.0f);
}

TEST(SubbandVariances, TinyWindowsAreNotSignificant) {
  WsqTrees trees;
  build_wsq_trees(trees, 8, 8);  // the smallest subbands are 1 x 1
  std::vector<float> plane(64);
  for (size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<float>(i * 7 % 13);
  QuantizerState state;
  subband_variances(state, trees.subband_tree, plane.data(), 8, 8);
  for (int k = 0; k < 60; ++k) EXPECT_FALSE(std::isnan(state.variance[k])) << k;
  EXPECT_EQ(state.variance[0], 0.0f);
}

TEST(Unquantize, RebuildsFromTheBinCentre) {
  WsqTrees trees;
  build_wsq_trees(trees, 100, 100);
  QuantTable table;
  table.centre = 0.44f;
  table.q[0] = 10.0f;
  table.z[0] = 12.0f;
  table.defined = 1;
  const std::vector<int16_t> sip{2, -1, 0, 1};
  std::vector<float> fip;
  ASSERT_EQ(unquantize(fip, table, trees.subband_tree, sip.data(), 4, 100, 100), 0);
  ASSERT_EQ(fip.size(), 10000u);
  EXPECT_FLOAT_EQ(fip[0], 21.6f);
  EXPECT_FLOAT_EQ(fip[1], -11.6f);
  EXPECT_EQ(fip[2], 0.0f);
  EXPECT_FLOAT_EQ(fip[3], 11.6f);
  // Positions past the coefficients and uncoded subbands stay 0.
  const SubbandRect& s1 = trees.subband_tree[1];
  EXPECT_EQ(fip[s1.y * 100 + s1.x], 0.0f);
}

TEST(Unquantize, RefusesAnUndefinedTable) {
  WsqTrees trees;
  build_wsq_trees(trees, 100, 100);
  QuantTable table;
  std::vector<float> fip;
  CapturedDiagnostics captured;
  EXPECT_EQ(unquantize(fip, table, trees.subband_tree, nullptr, 0, 100, 100), -92);
  EXPECT_EQ(captured.text(), "ERROR: unquantize : quantization table parameters not defined!\n");
}

}  // namespace
