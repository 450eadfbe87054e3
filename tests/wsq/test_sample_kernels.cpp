// The vector per-sample conversions against their plain references, bit for
// bit, for every kernel set the processor runs: every count from 0 to 70 (so every tail length), at
// odd offsets, on random values and on the values at the edges of each rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "wsq/sample_kernels.h"

namespace {

template <class T>
bool same_bits(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

TEST(SampleKernels, FloatsToBytesRoundsAndClampsLikeTheReference) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> wide(-400.0f, 400.0f);
  const float edges[] = {-0.5f,
                         -0.0f,
                         0.0f,
                         0.49999997f,
                         254.5f,
                         254.49998f,
                         255.0f,
                         255.5f,
                         1e30f,
                         -1e30f,
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()};
  std::vector<float> in(80);
  for (size_t i = 0; i < in.size(); ++i) {
    in[i] = i % 3 == 0 ? edges[i / 3 % std::size(edges)] : wide(random);
  }
  for (int64_t count = 0; count <= 70; ++count) {
    for (float scale : {1.0f, 0.73f, 1.9f}) {
      std::vector<uint8_t> expected(count);
      floats_to_bytes_reference(expected.data(), in.data() + 3, count, scale, 127.25f);
      for (const SampleKernelSet& set : runnable_sample_kernels()) {
        std::vector<uint8_t> actual(count, 0xAB);
        set.floats_to_bytes(actual.data(), in.data() + 3, count, scale, 127.25f);
        ASSERT_TRUE(same_bits(expected, actual))
            << set.name << " count " << count << " scale " << scale;
      }
    }
  }
}

TEST(SampleKernels, BytesToFloatsDividesLikeTheReference) {
  std::vector<uint8_t> in(80);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37 + (i % 2) * 255);
  for (int64_t count = 0; count <= 70; ++count) {
    std::vector<float> expected(count), actual(count);
    bytes_to_floats_reference(expected.data(), in.data() + 1, count, 131.77f, 0.9921875f);
    bytes_to_floats(actual.data(), in.data() + 1, count, 131.77f, 0.9921875f);
    ASSERT_TRUE(same_bits(expected, actual)) << "count " << count;
  }
}

TEST(SampleKernels, UnquantizingKeepsEachSignsRuleAndZero) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> value(-32768, 32767);
  std::vector<int16_t> in(80);
  for (size_t i = 0; i < in.size(); ++i) {
    const int16_t edges[] = {0, 1, -1, 32767, -32768, 0};
    in[i] = i % 2 == 0 ? edges[i / 2 % 6] : static_cast<int16_t>(value(random));
  }
  for (int32_t count = 0; count <= 70; ++count) {
    std::vector<float> expected(count, 5.0f);
    unquantize_values_reference(expected.data(), in.data() + 1, count, 0.44f, 3.17f, 1.9f);
    for (const SampleKernelSet& set : runnable_sample_kernels()) {
      std::vector<float> actual(count, -5.0f);
      set.unquantize(actual.data(), in.data() + 1, count, 0.44f, 3.17f, 1.9f);
      ASSERT_TRUE(same_bits(expected, actual)) << set.name << " count " << count;
    }
  }
}

TEST(SampleKernels, QuantizingMatchesTheReferenceIncludingClampsAndNaN) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> wide(-9.0f, 9.0f);
  const float edges[] = {1.2f,
                         -1.2f,
                         1.2000001f,
                         -1.2000001f,
                         0.0f,
                         -0.0f,
                         1e9f,
                         -1e9f,
                         std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()};
  std::vector<float> in(80);
  for (size_t i = 0; i < in.size(); ++i) {
    in[i] = i % 3 == 0 ? edges[i / 3 % std::size(edges)] : wide(random);
  }
  for (int32_t count = 0; count <= 70; ++count) {
    for (float width : {0.37f, 2.0f, 1e-4f}) {
      std::vector<int16_t> expected(count, 9);
      quantize_values_reference(expected.data(), in.data() + 1, count, 1.2f, width);
      for (const SampleKernelSet& set : runnable_sample_kernels()) {
        std::vector<int16_t> actual(count, -9);
        set.quantize(actual.data(), in.data() + 1, count, 1.2f, width);
        ASSERT_TRUE(same_bits(expected, actual))
            << set.name << " count " << count << " width " << width;
      }
    }
  }
}

TEST(SampleKernels, PeaksAndPixelStatsMatchTheReference) {
  std::mt19937 random(13);
  std::vector<float> values(80);
  std::vector<uint8_t> pixels(80);
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = std::uniform_real_distribution<float>(-50.0f, 50.0f)(random);
    pixels[i] = static_cast<uint8_t>(40 + random() % 170);
  }
  values[17] = std::numeric_limits<float>::quiet_NaN();
  values[40] = -77.0f;  // the peak, negative
  pixels[5] = 3;
  pixels[60] = 250;
  for (int32_t count = 0; count <= 70; ++count) {
    for (float start : {0.0f, 60.0f}) {
      const float expected = largest_magnitude_reference(values.data() + 1, count, start);
      const float actual = largest_magnitude(values.data() + 1, count, start);
      ASSERT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0) << count << " " << start;
    }
    const PixelStats expected = pixel_stats_reference(pixels.data() + 1, count);
    const PixelStats actual = pixel_stats(pixels.data() + 1, count);
    ASSERT_EQ(expected.minimum, actual.minimum) << count;
    ASSERT_EQ(expected.maximum, actual.maximum) << count;
    ASSERT_EQ(expected.sum, actual.sum) << count;
  }
}

}  // namespace
