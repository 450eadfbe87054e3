// The band kernels of the 2-D transform against the per-line reference
// kernels: bit-identical results for every length, filter shape and layout.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "wsq/transform.h"
#include "wsq/transform_bands.h"
#include "wsq/transform_lines.h"

namespace {

using Kernel = void (*)(float*, LineLayout, const float*, LineLayout, int32_t, int32_t,
                        const FilterPair&, int32_t);

std::vector<float> random_values(size_t count, std::mt19937& random) {
  std::uniform_real_distribution<float> value(-100.0f, 100.0f);
  std::vector<float> v(count);
  for (float& x : v) x = value(random);
  return v;
}

struct Shape {
  int32_t hsize;
  int32_t lsize;
};

// Runs the reference and the band kernel over the same lines, laid out as
// rows (pitch between lines) or as columns (lines side by side), and
// compares the destinations bit for bit.
void expect_same(Kernel reference, Kernel fast, const FilterPair& filters, int32_t lines,
                 int32_t length, bool columns, int32_t invert, std::mt19937& random) {
  const int32_t gap = 3;
  const LineLayout from = columns ? LineLayout{1, lines + gap} : LineLayout{length + gap, 1};
  const LineLayout to = columns ? LineLayout{1, lines} : LineLayout{length, 1};
  // Sources are windows of one pool of random samples, at random offsets.
  static const std::vector<float> pool = [] {
    std::mt19937 seeded(1);
    return random_values(1 << 16, seeded);
  }();
  const size_t source_size = static_cast<size_t>(lines + gap) * (length + gap);
  const float* source = pool.data() + random() % (pool.size() - source_size);
  std::vector<float> expected(static_cast<size_t>(lines) * length, 7.0f);
  std::vector<float> actual = expected;
  reference(expected.data(), to, source, from, lines, length, filters, invert);
  fast(actual.data(), to, source, from, lines, length, filters, invert);
  ASSERT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(float)), 0)
      << "lines " << lines << " length " << length << " columns " << columns << " invert " << invert
      << " taps " << filters.hsize << "/" << filters.lsize;
}

void check_kernels(Kernel reference, Kernel fast, const std::vector<Shape>& shapes,
                   int32_t shortest) {
  std::mt19937 random(99);
  for (const Shape& shape : shapes) {
    std::vector<float> hi = random_values(shape.hsize, random);
    std::vector<float> lo = random_values(shape.lsize, random);
    const FilterPair filters{hi.data(), shape.hsize, lo.data(), shape.lsize};
    for (int32_t length = shortest; length <= 41; ++length) {
      for (int32_t lines : {1, 6, 37}) {
        for (bool columns : {false, true}) {
          for (int32_t invert : {0, 1}) {
            expect_same(reference, fast, filters, lines, length, columns, invert, random);
          }
        }
      }
    }
  }
}

TEST(TransformBands, AnalysisMatchesTheLineKernel) {
  check_kernels(analyse_lines, analyse_bands,
                {{7, 9}, {2, 2}, {4, 4}, {2, 4}, {6, 6}, {3, 5}, {5, 3}, {1, 1}}, 2);
}

TEST(TransformBands, SynthesisMatchesTheLineKernel) {
  check_kernels(synthesise_lines, synthesise_bands,
                {{9, 7}, {2, 2}, {4, 4}, {2, 4}, {6, 6}, {3, 5}, {5, 3}, {1, 1}, {8, 6}}, 4);
}

TEST(TransformBands, EncoderFiltersOnLongLines) {
  std::mt19937 random(5);
  const FilterPair filters{encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize};
  for (int32_t length : {255, 256, 1001}) {
    expect_same(analyse_lines, analyse_bands, filters, 37, length, true, 1, random);
    expect_same(analyse_lines, analyse_bands, filters, 37, length, false, 0, random);
  }
}

}  // namespace
