// Known answers of the codec: the codestream bytes and decoded pixels of
// synthetic prints, pinned as 64-bit FNV-1a fingerprints. The codec's output
// is defined to the bit, so any change of instruction set, compiler flag
// (contracted multiply-adds, fast math) or summation order that moves a
// single bit fails here. CI runs these on the baseline and an x86-64-v3 build.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/reliability/sample_images.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

struct KnownAnswer {
  int width;
  int height;
  uint32_t seed;
  float bitrate;
  uint64_t codestream;
  uint64_t decoded;
};

// Sizes odd and even, near the smallest the transform takes, and bitrates
// from strong to light compression.
const KnownAnswer kAnswers[] = {
    {65, 65, 1, 0.75f, 0xb15e8497e10bec07ull, 0x6780cab7c1e15858ull},
    {96, 112, 2, 2.25f, 0x5345052756d9f21aull, 0xd8d1e00b5aac56b4ull},
    {257, 193, 3, 0.75f, 0x2271064e4d52635full, 0x2dd359344606740full},
    {500, 500, 4, 1.50f, 0x6fb8335885876980ull, 0xed0d26c6bd0e4511ull},
};

TEST(KnownAnswers, CodestreamsAndDecodedPixelsKeepTheirFingerprints) {
  ScopedDiagnostics quiet([](std::string_view) {});
  for (const KnownAnswer& answer : kAnswers) {
    const std::vector<uint8_t> pixels = make_synthetic_print(answer.width, answer.height, answer.seed);
    std::vector<uint8_t> codestream;
    ASSERT_EQ(wsq_encode_1(codestream, answer.bitrate, pixels.data(), answer.width, answer.height, 8, 500, nullptr),
              0);
    WsqDecoder decoder;
    std::vector<uint8_t> decoded;
    int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
    ASSERT_EQ(wsq_decode_mem(decoder, decoded, width, height, depth, ppi, lossy, codestream.data(),
                             static_cast<int32_t>(codestream.size())),
              0);
    ASSERT_EQ(width, answer.width);
    ASSERT_EQ(height, answer.height);
    char text[96];
    std::snprintf(text, sizeof text, "{%d, %d, %u, %.2ff, 0x%016llxull, 0x%016llxull}", answer.width, answer.height,
                  answer.seed, static_cast<double>(answer.bitrate),
                  static_cast<unsigned long long>(fnv1a(codestream)), static_cast<unsigned long long>(fnv1a(decoded)));
    EXPECT_EQ(fnv1a(codestream), answer.codestream) << "now " << text;
    EXPECT_EQ(fnv1a(decoded), answer.decoded) << "now " << text;
  }
}

}  // namespace
