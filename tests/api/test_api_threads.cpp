// The thread count of the public interfaces reaches the codec and never
// changes a byte or a pixel.
#include <gtest/gtest.h>
#include <wsq/wsq.h>
#include <wsq/wsq_c.h>

#include <cstring>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

// Large enough that several threads get lines, subbands and blocks of
// their own; odd sides so that the pieces are uneven.
constexpr int kWidth = 701;
constexpr int kHeight = 517;
constexpr float kBitrate = 2.25f;

struct Reference {
  std::vector<uint8_t> pixels = make_synthetic_print(kWidth, kHeight, 11);
  std::vector<uint8_t> codestream;
  std::vector<uint8_t> decoded;
};

// The codec's own single-thread results.
const Reference& reference() {
  static const Reference made = [] {
    Reference r;
    const CapturedDiagnostics silent;
    WsqEncoder encoder{1};
    EXPECT_EQ(wsq_encode_1(encoder, r.codestream, kBitrate, r.pixels.data(), kWidth, kHeight, 8, 500,
                           nullptr),
              0);
    WsqDecoder decoder;
    decoder.threads = 1;
    int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
    EXPECT_EQ(wsq_decode_mem(decoder, r.decoded, width, height, depth, ppi, lossy, r.codestream.data(),
                             static_cast<int32_t>(r.codestream.size())),
              0);
    return r;
  }();
  return made;
}

// 0 and below mean every core; 1000 is held to the library's ceiling.
const int32_t kThreadCounts[] = {1, 2, 3, 0, -3, 1000};

TEST(ApiThreads, CppEncodeAndDecodeAreTheSameForEveryCount) {
  const Reference& r = reference();
  ASSERT_FALSE(r.codestream.empty());
  wsq::EncodeParams params;
  params.bitrate = kBitrate;
  params.ppi = 500;
  for (const int32_t threads : kThreadCounts) {
    SCOPED_TRACE(threads);
    wsq::Options options;
    options.messages = [](std::string_view) {};
    options.threads = threads;
    std::vector<uint8_t> encoded;
    ASSERT_EQ(wsq::encode(r.pixels, kWidth, kHeight, params, encoded, options), wsq::Error::ok);
    EXPECT_EQ(encoded, r.codestream);
    wsq::Image image;
    ASSERT_EQ(wsq::decode(r.codestream, image, options), wsq::Error::ok);
    EXPECT_EQ(image.pixels, r.decoded);
  }
}

TEST(ApiThreads, CEncodeAndDecodeAreTheSameForEveryCount) {
  const Reference& r = reference();
  for (const int32_t threads : kThreadCounts) {
    SCOPED_TRACE(threads);
    wsq_c_options options = wsq_c_default_options();
    options.quiet = 1;
    options.threads = threads;
    uint8_t* codestream = nullptr;
    size_t length = 0;
    ASSERT_EQ(wsq_c_encode(r.pixels.data(), kWidth, kHeight, kBitrate, 500, nullptr, &options,
                           &codestream, &length),
              0);
    EXPECT_EQ(std::vector<uint8_t>(codestream, codestream + length), r.codestream);
    wsq_c_free(codestream);
    wsq_c_image image;
    ASSERT_EQ(wsq_c_decode(r.codestream.data(), r.codestream.size(), &options, &image), 0);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + kWidth * kHeight), r.decoded);
    wsq_c_free_image(&image);
  }
}

}  // namespace
