// Known answers: the exact codestream bytes and decoded pixels of a set of
// images, pinned by hash. Any change in arithmetic (a contracted multiply-add,
// a reordered sum, a fast path that drifts) or in entropy coding shows here.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

// FNV-1a, 64 bits.
uint64_t hash_of(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 0x100000001b3ull;
  }
  return h;
}

// Grey levels from a fixed generator, so the image is the same everywhere.
std::vector<uint8_t> noise(int width, int height, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (uint8_t& p : pixels) p = static_cast<uint8_t>(generator() >> 24);
  return pixels;
}

// A print with strong noise added, so entropy coding carries real weight.
std::vector<uint8_t> noisy_print(int width, int height, uint32_t seed) {
  std::vector<uint8_t> pixels = make_synthetic_print(width, height, seed);
  std::mt19937 generator(seed);
  for (uint8_t& p : pixels) {
    const int v = p + static_cast<int>(generator() >> 27) - 16;
    p = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  return pixels;
}

enum class Kind { print, noise, noisy_print };

struct Case {
  const char* name;
  Kind kind;
  int width;
  int height;
  float bitrate;
  size_t codestream_size;
  uint64_t codestream_hash;
  uint64_t pixels_hash;
};

std::vector<uint8_t> image_of(const Case& c) {
  switch (c.kind) {
    case Kind::print:
      return make_synthetic_print(c.width, c.height, 7);
    case Kind::noise:
      return noise(c.width, c.height, 11);
    case Kind::noisy_print:
      return noisy_print(c.width, c.height, 13);
  }
  return {};
}

const Case kCases[] = {
    {"smallest_print", Kind::print, 65, 65, 0.75f, 1086, 0xc5fd519f48c9b488ull,
     0x050bee7098a7f4d0ull},
    {"smallest_noise", Kind::noise, 65, 65, 2.25f, 1877, 0x2afdc853694f7aabull,
     0xd69c0b80b7ffe836ull},
    {"odd_print_low_rate", Kind::print, 81, 97, 0.3f, 978, 0xed9e6e38f4d18a84ull,
     0x0577b11eac267416ull},
    {"odd_noise", Kind::noise, 127, 66, 0.75f, 1461, 0x2469f957174a4493ull,
     0x6d7b31dde33b74e2ull},
    {"odd_print_high_rate", Kind::print, 333, 257, 2.25f, 14873, 0xf61632640d89edc1ull,
     0xf2b7697df1f6fd14ull},
    {"square_print", Kind::print, 500, 500, 0.75f, 8208, 0x98eb6caea07b093bull,
     0x027c391571f54ebeull},
    {"plain_print", Kind::print, 800, 750, 0.75f, 16276, 0x8e6e468cae007290ull,
     0xbaebce2d5c2b119bull},
    {"noisy_print_high_rate", Kind::noisy_print, 801, 751, 2.25f, 125940, 0xb7212bd6d225fedfull,
     0x6fa98b54b95c1c72ull},
    {"wide_print", Kind::print, 4000, 67, 0.75f, 13865, 0x4939481d35ecbd29ull,
     0x4a8394fc3c8a7216ull},
    {"tall_noise_low_rate", Kind::noise, 67, 4000, 0.3f, 7317, 0xf0beca75eae7748full,
     0x3950af888ff1c449ull},
};

class KnownAnswer : public ::testing::TestWithParam<Case> {};

// The same bytes and pixels for every thread count, including counts that
// leave some threads without work on narrow images.
TEST_P(KnownAnswer, CodestreamAndPixelsMatch) {
  const Case& c = GetParam();
  const std::vector<uint8_t> image = image_of(c);
  CapturedDiagnostics quiet;
  for (int32_t threads : {1, 2, 3}) {
    SCOPED_TRACE(threads);
    WsqEncoder encoder;
    encoder.threads = threads;
    std::vector<uint8_t> codestream;
    ASSERT_EQ(wsq_encode_1(encoder, codestream, c.bitrate, image.data(), c.width, c.height, 8,
                           500, nullptr),
              0);
    WsqDecoder decoder;
    decoder.threads = threads;
    std::vector<uint8_t> pixels;
    int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
    ASSERT_EQ(wsq_decode_mem(decoder, pixels, width, height, depth, ppi, lossy,
                             codestream.data(), static_cast<int32_t>(codestream.size())),
              0);
    EXPECT_EQ(codestream.size(), c.codestream_size);
    EXPECT_EQ(hash_of(codestream), c.codestream_hash);
    EXPECT_EQ(hash_of(pixels), c.pixels_hash);
  }
}

INSTANTIATE_TEST_SUITE_P(Images, KnownAnswer, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
