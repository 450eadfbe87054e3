#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/diagnostics.h"
#include "wsq/transform.h"
#include "wsq/trees.h"

namespace {

// The synthesis filters a decoder rebuilds from the encoder's transform
// table: the low-pass half becomes a 9-tap high-pass with alternating signs,
// the high-pass half a 7-tap low-pass, both mirrored about the centre tap.
TransformTable synthesis_table() {
  TransformTable table;
  table.losize = 7;
  table.hisize = 9;
  table.lofilt.assign(7, 0.0f);
  table.hifilt.assign(9, 0.0f);
  for (int c = 0; c <= 4; ++c) {
    const float sign = (c % 2 == 0) ? 1.0f : -1.0f;
    table.hifilt[4 + c] = sign * encoder_lofilt[4 + c];
    table.hifilt[4 - c] = table.hifilt[4 + c];
  }
  for (int c = 0; c <= 3; ++c) {
    const float sign = (c % 2 == 0) ? 1.0f : -1.0f;
    table.lofilt[3 + c] = sign * encoder_hifilt[3 + c];
    table.lofilt[3 - c] = table.lofilt[3 + c];
  }
  table.lo_defined = 1;
  table.hi_defined = 1;
  return table;
}

std::vector<float> random_plane(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-128.0f, 128.0f);
  std::vector<float> plane(count);
  for (float& v : plane) v = value(random);
  return plane;
}

TEST(AnalysisLines, NineSamplesGiveFiveLowAndFourHigh) {
  // A constant line has no high-pass content: its low-pass samples carry the
  // filter's DC gain and the high-pass ones are (nearly) zero.
  const std::vector<float> line(9, 1.0f);
  float gain = 0.0f;
  for (float tap : encoder_lofilt) gain += tap;
  for (int32_t invert : {0, 1}) {
    SCOPED_TRACE(invert);
    std::vector<float> out(9, 99.0f);
    analysis_lines(out.data(), line.data(), 1, 9, 9, 1, encoder_hifilt, 7, encoder_lofilt, 9,
                   invert);
    const int low_first = invert ? 4 : 0;
    const int high_first = invert ? 0 : 5;
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(out[low_first + k], gain, 1e-6);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(out[high_first + k], 0.0f, 1e-6);
  }
}

TEST(AnalysisLines, LowPassIsCentredOnEvenSamplesWithMirroredEnds) {
  // A unit impulse at sample 0 reaches low-pass output 0 through the centre
  // tap, output 1 through tap 2 (mirror) and tap 6 ... with whole-sample
  // symmetry the impulse is seen once from each side of output k = 1.
  std::vector<float> line(12, 0.0f);
  line[0] = 1.0f;
  std::vector<float> out(12, 0.0f);
  analysis_lines(out.data(), line.data(), 1, 12, 12, 1, encoder_hifilt, 7, encoder_lofilt, 9, 0);
  EXPECT_EQ(out[0], encoder_lofilt[4]);
  EXPECT_EQ(out[1], encoder_lofilt[2]);
  EXPECT_EQ(out[2], encoder_lofilt[0]);
  EXPECT_EQ(out[3], 0.0f);
  // High-pass output 0 is centred on sample 1: the impulse meets tap 2.
  EXPECT_EQ(out[6], encoder_hifilt[2]);
  EXPECT_EQ(out[7], encoder_hifilt[0]);
}

TEST(AnalysisLines, RowsAndColumnsAgree) {
  // Filtering the columns of a plane equals filtering the rows of its transpose.
  const int32_t w = 23;
  const int32_t h = 17;
  const std::vector<float> plane = random_plane(w * h, 7);
  std::vector<float> transposed(w * h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) transposed[x * h + y] = plane[y * w + x];
  }
  std::vector<float> by_columns(w * h);
  std::vector<float> by_rows(w * h);
  analysis_lines(by_columns.data(), plane.data(), w, h, 1, w, encoder_hifilt, 7, encoder_lofilt, 9,
                 1);
  analysis_lines(by_rows.data(), transposed.data(), w, h, h, 1, encoder_hifilt, 7, encoder_lofilt,
                 9, 1);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) ASSERT_EQ(by_columns[y * w + x], by_rows[x * h + y]);
  }
}

TEST(SynthesisLines, InvertsAnalysisForEveryLengthAndBothOrders) {
  const TransformTable table = synthesis_table();
  for (int32_t length = 6; length <= 40; ++length) {
    for (int32_t invert : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "length " << length << " invert " << invert);
      const std::vector<float> line = random_plane(length, length * 2 + invert);
      std::vector<float> bands(length);
      std::vector<float> back(length);
      analysis_lines(bands.data(), line.data(), 1, length, length, 1, encoder_hifilt, 7,
                     encoder_lofilt, 9, invert);
      synthesis_lines(back.data(), bands.data(), 1, length, length, 1, table.hifilt.data(), 9,
                      table.lofilt.data(), 7, invert);
      for (int32_t i = 0; i < length; ++i) ASSERT_NEAR(back[i], line[i], 2e-4) << i;
    }
  }
}

TEST(WsqTransform, DecomposeThenReconstructReturnsThePlane) {
  const TransformTable table = synthesis_table();
  for (int32_t width : {81, 82, 97, 160, 257}) {
    for (int32_t height : {81, 83, 128, 211}) {
      SCOPED_TRACE(::testing::Message() << width << " x " << height);
      WsqTrees trees;
      build_wsq_trees(trees, width, height);
      const std::vector<float> original = random_plane(width * height, width * 1000 + height);
      std::vector<float> plane = original;
      ASSERT_EQ(wsq_decompose(plane.data(), width, height, trees.wavelet_tree, 20, encoder_hifilt,
                              7, encoder_lofilt, 9),
                0);
      ASSERT_NE(plane, original);
      ASSERT_EQ(wsq_reconstruct(plane.data(), width, height, trees.wavelet_tree, 20, table), 0);
      for (size_t i = 0; i < plane.size(); ++i) ASSERT_NEAR(plane[i], original[i], 2e-3) << i;
    }
  }
}

// Pixels made by the last row pass are those of the plane converted after
// the whole reconstruction, on one thread or two, rows in any band; a
// missing pixel buffer is a failure.
TEST(WsqTransform, ReconstructsStraightIntoPixels) {
  const TransformTable table = synthesis_table();
  for (int32_t threads : {1, 2}) {
    WorkerPool pool(threads);
    for (const auto [width, height] : {std::pair{81, 83}, {257, 128}, {160, 1031}}) {
      SCOPED_TRACE(::testing::Message() << width << " x " << height << ", threads " << threads);
      WsqTrees trees;
      build_wsq_trees(trees, width, height);
      std::vector<float> plane = random_plane(width * height, width + height);
      std::vector<float> copy = plane;
      ASSERT_EQ(wsq_reconstruct(copy.data(), width, height, trees.wavelet_tree, 20, table), 0);
      std::vector<uint8_t> expected(copy.size());
      floats_to_image(expected.data(), copy.data(), width, height, 117.5f, 0.25f);
      std::vector<uint8_t> pixels;
      const PixelOutput output{[&] {
                                 pixels.resize(plane.size());
                                 return pixels.data();
                               },
                               117.5f, 0.25f};
      ASSERT_EQ(wsq_reconstruct(plane.data(), width, height, trees.wavelet_tree, 20, table, &pool,
                                &output),
                0);
      ASSERT_EQ(pixels, expected);
      const PixelOutput refused{[] { return static_cast<uint8_t*>(nullptr); }, 117.5f, 0.25f};
      EXPECT_EQ(wsq_reconstruct(copy.data(), width, height, trees.wavelet_tree, 20, table, &pool,
                                &refused),
                -97);
    }
  }
}

// A plane decomposed from pixels, turned into samples by the first row
// pass, is the plane decomposed after image_to_floats, also for a uniform
// image (a plane of zeros) and on two threads.
TEST(WsqTransform, DecomposesStraightFromPixels) {
  for (int32_t threads : {1, 2}) {
    WorkerPool pool(threads);
    for (const auto [width, height] : {std::pair{81, 83}, {257, 128}, {160, 1031}}) {
      for (bool uniform : {false, true}) {
        SCOPED_TRACE(::testing::Message() << width << " x " << height << ", threads " << threads);
        WsqTrees trees;
        build_wsq_trees(trees, width, height);
        std::mt19937 random(width * height);
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 90);
        if (!uniform) {
          for (uint8_t& p : pixels) p = static_cast<uint8_t>(random());
        }
        std::vector<float> expected(pixels.size());
        float m_shift = 0.0f;
        float r_scale = 0.0f;
        image_to_floats(expected.data(), m_shift, r_scale, pixels.data(), width * height);
        ASSERT_EQ(wsq_decompose(expected.data(), width, height, trees.wavelet_tree, 20,
                                encoder_hifilt, 7, encoder_lofilt, 9),
                  0);
        const PixelInput input = pixel_input(pixels.data(), width * height);
        EXPECT_EQ(input.m_shift, m_shift);
        EXPECT_EQ(input.r_scale, r_scale);
        std::vector<float> plane(pixels.size(), -1.0f);
        ASSERT_EQ(wsq_decompose(plane.data(), width, height, trees.wavelet_tree, 20, encoder_hifilt,
                                7, encoder_lofilt, 9, &pool, &input),
                  0);
        ASSERT_EQ(std::memcmp(plane.data(), expected.data(), plane.size() * sizeof(float)), 0);
      }
    }
  }
}

TEST(WsqTransform, DecomposeMatchesTheDescribedNodeOrder) {
  // Reference: each node's rows into a whole temporary plane, then its columns
  // back, through the public line functions.
  const int32_t width = 131;
  const int32_t height = 97;
  WsqTrees trees;
  build_wsq_trees(trees, width, height);
  std::vector<float> expected = random_plane(width * height, 3);
  std::vector<float> plane = expected;
  std::vector<float> temporary(width * height);
  for (const WaveletNode& n : trees.wavelet_tree) {
    float* base = expected.data() + n.y * width + n.x;
    analysis_lines(temporary.data(), base, n.dy, n.dx, width, 1, encoder_hifilt, 7, encoder_lofilt,
                   9, n.ir);
    analysis_lines(base, temporary.data(), n.dx, n.dy, 1, width, encoder_hifilt, 7, encoder_lofilt,
                   9, n.ic);
  }
  ASSERT_EQ(wsq_decompose(plane.data(), width, height, trees.wavelet_tree, 20, encoder_hifilt, 7,
                          encoder_lofilt, 9),
            0);
  EXPECT_EQ(plane, expected);
}

TEST(WsqTransform, RefusesUndefinedFiltersInOrder) {
  TransformTable table = synthesis_table();
  WsqTrees trees;
  build_wsq_trees(trees, 100, 100);
  std::vector<float> plane(100 * 100, 1.0f);
  table.lo_defined = 0;
  table.hi_defined = 0;
  {
    CapturedDiagnostics captured;
    EXPECT_EQ(wsq_reconstruct(plane.data(), 100, 100, trees.wavelet_tree, 20, table), -95);
    EXPECT_EQ(captured.text(), "ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n");
  }
  table.lo_defined = 1;
  CapturedDiagnostics captured;
  EXPECT_EQ(wsq_reconstruct(plane.data(), 100, 100, trees.wavelet_tree, 20, table), -96);
  EXPECT_EQ(captured.text(), "ERROR: wsq_reconstruct : Hipass filter coefficients not defined\n");
  EXPECT_EQ(plane, std::vector<float>(100 * 100, 1.0f));
}

TEST(WsqTransform, RefusesImagesTooSmallForTheFilters) {
  const TransformTable table = synthesis_table();
  for (int32_t side : {1, 20, 64}) {
    WsqTrees trees;
    build_wsq_trees(trees, side, 100);
    std::vector<float> plane(side * 100, 2.0f);
    CapturedDiagnostics captured;
    EXPECT_EQ(wsq_decompose(plane.data(), side, 100, trees.wavelet_tree, 20, encoder_hifilt, 7,
                            encoder_lofilt, 9),
              -98);
    EXPECT_EQ(wsq_reconstruct(plane.data(), side, 100, trees.wavelet_tree, 20, table), -98);
    EXPECT_EQ(plane, std::vector<float>(side * 100, 2.0f));
  }
}

TEST(WsqTransform, UnusualFilterLengthsStayInsideTheLines) {
  // Filters far longer than the lines must not read or write outside them.
  TransformTable table;
  table.losize = 255;
  table.hisize = 254;
  table.lofilt.assign(255, 0.01f);
  table.hifilt.assign(254, 0.01f);
  table.lo_defined = table.hi_defined = 1;
  WsqTrees trees;
  build_wsq_trees(trees, 70, 66);
  std::vector<float> plane = random_plane(70 * 66, 5);
  EXPECT_EQ(wsq_reconstruct(plane.data(), 70, 66, trees.wavelet_tree, 20, table), 0);
  for (int32_t even_length : {2, 4, 6}) {
    table.losize = static_cast<uint8_t>(even_length);
    table.hisize = static_cast<uint8_t>(even_length);
    EXPECT_EQ(wsq_reconstruct(plane.data(), 70, 66, trees.wavelet_tree, 20, table), 0);
  }
}

TEST(PixelNormalisation, SingleBrightPixel) {
  const int32_t n = 1000;
  std::vector<uint8_t> pixels(n, 0);
  pixels[10] = 255;
  std::vector<float> plane(n);
  float m_shift = 0.0f;
  float r_scale = 0.0f;
  image_to_floats(plane.data(), m_shift, r_scale, pixels.data(), n);
  EXPECT_EQ(m_shift, 255.0f / n);
  EXPECT_EQ(r_scale, (255.0f - m_shift) / 128.0f);
  EXPECT_EQ(plane[0], (0.0f - m_shift) / r_scale);
  EXPECT_EQ(plane[10], (255.0f - m_shift) / r_scale);
}

TEST(PixelNormalisation, UniformImageGivesZerosAndComesBack) {
  std::vector<uint8_t> pixels(100, 77);
  std::vector<float> plane(100, 5.0f);
  float m_shift = 0.0f;
  float r_scale = 1.0f;
  image_to_floats(plane.data(), m_shift, r_scale, pixels.data(), 100);
  EXPECT_EQ(m_shift, 77.0f);
  EXPECT_EQ(r_scale, 0.0f);
  EXPECT_EQ(plane, std::vector<float>(100, 0.0f));
  std::vector<uint8_t> back(100, 0);
  floats_to_image(back.data(), plane.data(), 10, 10, m_shift, r_scale);
  EXPECT_EQ(back, pixels);
}

TEST(PixelNormalisation, RoundingAndClampingBackToBytes) {
  // With r_scale 1 and m_shift 0 the scaled value is the float itself.
  const std::vector<float> plane{254.6f, -0.4f, -0.6f, 3.49f, 1000.0f, NAN, 127.5f, 0.0f};
  std::vector<uint8_t> pixels(plane.size(), 42);
  floats_to_image(pixels.data(), plane.data(), 4, 2, 0.0f, 1.0f);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{255, 0, 0, 3, 255, 0, 128, 0}));
}

TEST(PixelNormalisation, RoundTripOfASyntheticPrint) {
  const std::vector<uint8_t> pixels = make_synthetic_print(90, 70, 2);
  std::vector<float> plane(pixels.size());
  float m_shift = 0.0f;
  float r_scale = 0.0f;
  image_to_floats(plane.data(), m_shift, r_scale, pixels.data(), 90 * 70);
  std::vector<uint8_t> back(pixels.size());
  floats_to_image(back.data(), plane.data(), 90, 70, m_shift, r_scale);
  EXPECT_EQ(back, pixels);
}

}  // namespace
