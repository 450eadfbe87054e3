#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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
  CoefficientPlane sip;
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

// The array is not cleared when it is made: every entry is written, the
// ones past the stored values with 0, whatever the array held before.
TEST_F(QuantizeTest, EntriesPastTheStoredValuesAreZero) {
  state.variance.fill(100.0f);
  state.variance[3] = 0.5f;
  state.variance[40] = 0.5f;
  sip.assign(static_cast<size_t>(kWidth * kHeight), int16_t{7});
  ASSERT_EQ(run(), 0);
  ASSERT_GT(count, 0);
  ASSERT_LT(count, kWidth * kHeight);
  for (size_t i = static_cast<size_t>(count); i < sip.size(); ++i) ASSERT_EQ(sip[i], 0) << i;
  EXPECT_EQ(sip[0],
            quantize_coefficient(0.25f, state.zero_bin_width[0] * 0.5f, state.bin_width[0]));
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

// Preliminary width of subband k for a variance of 100.
double preliminary_width(int k) {
  static constexpr double kHighBands[8] = {1.32, 1.08, 1.42, 1.08, 1.32, 1.42, 1.08, 1.08};
  const double a = k >= 52 ? kHighBands[k - 52] : 1.0;
  return k < 4 ? 1.0 : 10.0 / (a * std::log(100.0));
}

double weight_m(int k) { return k < 4 ? 1.0 / 1024 : k < 51 ? 1.0 / 256 : 1.0 / 16; }

// Quantizing without a 16-bit limit, in double precision.
double unclamped_quantized(float c, float bin_width, float zero_bin_width) {
  const double z = zero_bin_width * 0.5f;
  if (c > z) return std::trunc((c - z) / bin_width + 1.0);
  if (c < -z) return std::trunc((c + z) / bin_width - 1.0);
  return 0.0;
}

TEST_F(QuantizeTest, BitrateScaleIsKeptWhileCoefficientsFitSixteenBits) {
  state.variance.fill(100.0f);
  ASSERT_EQ(run(), 0);
  // S = 4/1024 + 47/256 + 9/16 = 0.75, so 2^(r/S - 1) = 1.
  double s = 0.0, log_p = 0.0;
  for (int k = 0; k < 60; ++k) {
    s += weight_m(k);
    log_p += weight_m(k) * std::log(10.0 / preliminary_width(k));
  }
  const double q = 0.4 / std::exp(log_p / s);
  for (int k = 0; k < 60; ++k) {
    ASSERT_LT(preliminary_width(k) / q, 50.0) << k;  // nothing dropped
    EXPECT_NEAR(state.bin_width[k] * q / preliminary_width(k), 1.0, 1e-4) << k;
  }
}

// With few significant subbands the bitrate is shared among few
// coefficients: the scale of the bitrate asks for bins far finer than 16-bit
// coefficients can count (for subbands 0..3 alone, 2^191: beyond any float).
// The quantizer keeps every coefficient within 16 bits instead of clipping
// them to the limit, which would rebuild an image without its content.
TEST_F(QuantizeTest, FewSignificantSubbandsStayWithinSixteenBits) {
  const std::vector<std::vector<int>> cases{{0, 1, 2, 3}, {0, 1, 2, 3, 4, 5, 43}};
  for (const std::vector<int>& coded : cases) {
    SCOPED_TRACE(::testing::Message() << coded.size() << " significant subbands");
    state.variance.fill(0.0f);
    for (int k : coded) state.variance[k] = 100.0f;
    ASSERT_EQ(run(), 0);
    int32_t next = 0;
    int32_t largest = 0;
    for (int k = 0; k < 60; ++k) {
      if (state.variance[k] == 0.0f) {
        EXPECT_EQ(state.bin_width[k], 0.0f) << k;
        continue;
      }
      ASSERT_GT(state.bin_width[k], 0.0f) << k;
      ASSERT_TRUE(std::isfinite(state.bin_width[k])) << k;
      const SubbandRect& r = trees.subband_tree[k];
      const float c = plane[r.y * kWidth + r.x];
      const double exact = unclamped_quantized(c, state.bin_width[k], state.zero_bin_width[k]);
      EXPECT_LE(std::fabs(exact), 32767.0) << k;
      for (int32_t i = 0; i < area(r); ++i) ASSERT_EQ(sip[next + i], exact) << k;
      next += area(r);
      largest = std::max<int32_t>(largest, std::abs(sip[next - 1]));
    }
    EXPECT_EQ(next, count);
    // The finest scale that fits: the largest coefficient uses the 16-bit range.
    EXPECT_GT(largest, 32000);
    // The bins of the bitrate's shares are kept relative to one another.
    EXPECT_NEAR(state.bin_width[1] / state.bin_width[0], 1.0, 1e-6);
    if (coded.size() > 4) {
      EXPECT_NEAR(state.bin_width[4] / state.bin_width[0], preliminary_width(4), 1e-5);
    }
  }
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

// The coarsest subbands of a 501 x 66 image are 16 x 3 (subbands 0 and 1)
// and 16 x 2 (2 and 3): their central windows are one row and no row.
class ThinSubbandVariances : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = 501;
  static constexpr int32_t kHeight = 66;
  void SetUp() override {
    build_wsq_trees(trees, kWidth, kHeight);
    ASSERT_EQ(trees.subband_tree[0].lx, 16);
    ASSERT_EQ(trees.subband_tree[0].ly, 3);
    ASSERT_EQ(trees.subband_tree[2].ly, 2);
    plane.assign(static_cast<size_t>(kWidth) * kHeight, 0.0f);
  }
  float& at(int k, int32_t x, int32_t y) {
    const SubbandRect& r = trees.subband_tree[k];
    return plane[(r.y + y) * kWidth + r.x + x];
  }
  WsqTrees trees;
  std::vector<float> plane;
  QuantizerState state;
};

// Content that changes only from row to row is invisible to a one-row
// window; the subband is then measured over all its rows.
TEST_F(ThinSubbandVariances, RowToRowChangeIsMeasuredOverTheWholeSubband) {
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 16; ++x) at(0, x, y) = 100.0f * y;
  }
  for (int32_t x = 0; x < 16; ++x) {
    at(2, x, 0) = 50.0f;
    at(2, x, 1) = -50.0f;
  }
  subband_variances(state, trees.subband_tree, plane.data(), kWidth, kHeight);
  // Columns 2..13 of all three rows: 12 each of 0, 100 and 200.
  EXPECT_NEAR(state.variance[0], 12.0 * 2 * 100.0 * 100.0 / 35, 0.05);
  // No central row at all: columns 2..13 of both rows, 12 each of +-50.
  EXPECT_NEAR(state.variance[2], 24.0 * 50.0 * 50.0 / 23, 0.05);
  EXPECT_EQ(state.variance[1], 0.0f);
  EXPECT_EQ(state.variance[3], 0.0f);
}

// A one-row window that already finds the subband significant keeps its
// own measure, whatever the other rows hold.
TEST_F(ThinSubbandVariances, SignificantCentralWindowIsKept) {
  for (int32_t x = 0; x < 16; ++x) {
    at(0, x, 0) = (x % 2) ? 3.0f : -3.0f;
    at(0, x, 1) = 1000.0f;
    at(0, x, 2) = -1000.0f;
  }
  subband_variances(state, trees.subband_tree, plane.data(), kWidth, kHeight);
  EXPECT_NEAR(state.variance[0], 9.0 * 12 / 11, 1e-4);  // row 0, columns 2..13
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
  FloatPlane fip(10000, 7.0f);  // every sample must be written over
  ASSERT_EQ(unquantize(fip, table, trees.subband_tree, sip.data(), 4, 100, 100), 0);
  ASSERT_EQ(fip.size(), 10000u);
  EXPECT_FLOAT_EQ(fip[0], 21.6f);
  EXPECT_FLOAT_EQ(fip[1], -11.6f);
  EXPECT_EQ(fip[2], 0.0f);
  EXPECT_FLOAT_EQ(fip[3], 11.6f);
  // Positions past the coefficients and uncoded subbands stay 0.
  const SubbandRect& s1 = trees.subband_tree[1];
  EXPECT_EQ(fip[s1.y * 100 + s1.x], 0.0f);
  EXPECT_EQ(std::count(fip.begin(), fip.end(), 0.0f), 10000 - 3);
}

TEST(Unquantize, RefusesAnUndefinedTable) {
  WsqTrees trees;
  build_wsq_trees(trees, 100, 100);
  QuantTable table;
  FloatPlane fip;
  CapturedDiagnostics captured;
  EXPECT_EQ(unquantize(fip, table, trees.subband_tree, nullptr, 0, 100, 100), -92);
  EXPECT_EQ(captured.text(), "ERROR: unquantize : quantization table parameters not defined!\n");
}

}  // namespace
