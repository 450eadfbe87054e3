// Every band kernel set this processor runs (SSE2, AVX2, AVX-512) against
// the per-line reference kernels, bit for bit: random samples and filters,
// every line length from 5 to 300, both inversion flags, bands of several
// widths and sources at odd offsets.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "wsq/transform_bands.h"
#include "wsq/transform_lines.h"

namespace {

std::vector<float> random_values(size_t count, std::mt19937& random) {
  std::uniform_real_distribution<float> value(-300.0f, 300.0f);
  std::vector<float> v(count);
  for (float& x : v) x = value(random);
  return v;
}

using Kernel = void (*)(float*, LineLayout, const float*, LineLayout, int32_t, int32_t,
                        const FilterPair&, int32_t);

struct Shape {
  int32_t hsize;
  int32_t lsize;
};

// Every line length from 5 to 300 and both inversion flags, for random
// filters of each shape; stops at the first fatal failure.
template <class Body>
void for_each_case(const std::vector<Shape>& shapes, std::mt19937& random, const Body& body) {
  for (const Shape& shape : shapes) {
    const std::vector<float> hi = random_values(shape.hsize, random);
    const std::vector<float> lo = random_values(shape.lsize, random);
    const FilterPair filters{hi.data(), shape.hsize, lo.data(), shape.lsize};
    for (int32_t length = 5; length <= 300; ++length) {
      for (int32_t invert : {0, 1}) {
        body(filters, length, invert);
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }
}

// Lines side by side (the layout that runs in vectors), the source at an
// odd offset into a larger area. The sample rows are an odd number of
// floats apart, so that no load is aligned, or a whole number of vectors
// apart, so that the kernels start with the lines before the first aligned
// vector.
void check_set(Kernel reference, Kernel fast, const std::vector<Shape>& shapes,
               const std::string& set) {
  std::mt19937 random(2024);
  const std::vector<float> samples = random_values(1 << 17, random);
  for_each_case(shapes, random, [&](const FilterPair& filters, int32_t length, int32_t invert) {
    const int32_t lines = std::vector<int32_t>{3, 32, 45, 64, 130}[(length + invert) % 5];
    const int32_t odd_stride = lines + 1 + 2 * (length % 3);
    const int32_t vector_stride = (lines + 16) / 16 * 16;
    const LineLayout from{1, length % 4 < 2 ? odd_stride : vector_stride};
    const LineLayout to{1, lines};
    const size_t used = static_cast<size_t>(from.stride) * length;
    const float* source = samples.data() + 1 + 2 * (random() % ((samples.size() - used) / 2 - 1));
    std::vector<float> expected(static_cast<size_t>(lines) * length, -1.0f);
    std::vector<float> actual = expected;
    reference(expected.data(), to, source, from, lines, length, filters, invert);
    fast(actual.data(), to, source, from, lines, length, filters, invert);
    ASSERT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(float)), 0)
        << set << ": length " << length << " lines " << lines << " invert " << invert << " taps "
        << filters.hsize << "/" << filters.lsize;
  });
}

using PlanMaker = LinePlan (*)(int32_t, const FilterPair&, int32_t);

// Rows (samples side by side) filtered along the row, into rows of their
// own and in place, against the reference filtering the same rows into a
// separate area.
void check_rows(Kernel reference, PlanMaker make_plan, RowKernel rows,
                const std::vector<Shape>& shapes, const std::string& set) {
  std::mt19937 random(77);
  const std::vector<float> samples = random_values(1 << 14, random);
  for_each_case(shapes, random, [&](const FilterPair& filters, int32_t length, int32_t invert) {
    const int32_t lines = 3;
    const LineLayout layout{length + 1 + length % 3, 1};  // rows with gaps between
    const size_t used = static_cast<size_t>(layout.pitch) * lines;
    const size_t offset = 1 + random() % (samples.size() - used - 1);
    std::vector<float> actual(samples.begin() + offset, samples.begin() + offset + used);
    std::vector<float> expected = actual;
    reference(expected.data(), layout, actual.data(), layout, lines, length, filters, invert);
    const LinePlan plan = make_plan(length, filters, invert);
    std::vector<float> scratch(row_scratch_size(length), -1.0f);
    // Into rows of their own (packed), then in place.
    std::vector<float> apart(static_cast<size_t>(length) * lines, 0.0f);
    rows(apart.data(), length, actual.data(), layout.pitch, lines, plan, scratch.data());
    rows(actual.data(), layout.pitch, actual.data(), layout.pitch, lines, plan, scratch.data());
    ASSERT_EQ(std::memcmp(expected.data(), actual.data(), used * sizeof(float)), 0)
        << set << ": rows of " << length << " invert " << invert << " taps " << filters.hsize << "/"
        << filters.lsize;
    for (int32_t j = 0; j < lines; ++j) {
      ASSERT_EQ(std::memcmp(expected.data() + static_cast<size_t>(j) * layout.pitch,
                            apart.data() + static_cast<size_t>(j) * length, length * sizeof(float)),
                0)
          << set << ": rows of " << length << " apart, invert " << invert;
    }
  });
}

TEST(BandKernelSets, TheBaselineIsAlwaysThere) {
  ASSERT_FALSE(runnable_band_kernels().empty());
  EXPECT_STREQ(runnable_band_kernels().front().name, "sse2");
}

TEST(BandKernelSets, AnalysisMatchesTheReferenceOnEverySet) {
  for (const BandKernels& set : runnable_band_kernels()) {
    check_set(analyse_lines, set.analyse, {{7, 9}, {4, 4}, {3, 5}}, set.name);
  }
}

TEST(BandKernelSets, SynthesisMatchesTheReferenceOnEverySet) {
  for (const BandKernels& set : runnable_band_kernels()) {
    check_set(synthesise_lines, set.synthesise, {{9, 7}, {4, 4}, {5, 3}}, set.name);
  }
}

TEST(BandKernelSets, RowAnalysisMatchesTheReferenceOnEverySet) {
  for (const BandKernels& set : runnable_band_kernels()) {
    check_rows(analyse_lines, analysis_plan, set.rows, {{7, 9}, {4, 4}, {3, 5}, {2, 2}}, set.name);
  }
}

TEST(BandKernelSets, RowSynthesisMatchesTheReferenceOnEverySet) {
  for (const BandKernels& set : runnable_band_kernels()) {
    check_rows(synthesise_lines, synthesis_plan, set.rows, {{9, 7}, {4, 4}, {5, 3}, {6, 6}},
               set.name);
  }
}

// A codestream may declare filters of up to 255 taps, longer than most of
// the lines they filter: every tap list, plan and run must hold them.
TEST(BandKernelSets, LongFiltersMatchTheReferenceOnEverySet) {
  const std::vector<Shape> longest = {{255, 255}, {254, 1}};
  const std::vector<Shape> longer = {{31, 33}};
  for (const BandKernels& set : runnable_band_kernels()) {
    check_rows(analyse_lines, analysis_plan, set.rows, longest, set.name);
    check_rows(synthesise_lines, synthesis_plan, set.rows, longest, set.name);
    check_set(analyse_lines, set.analyse, longer, set.name);
    check_set(synthesise_lines, set.synthesise, longer, set.name);
  }
}

}  // namespace
