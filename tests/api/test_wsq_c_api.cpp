// The C interface: the same results as the C++ one, buffers the caller frees.
#include <gtest/gtest.h>
#include <wsq/wsq.h>
#include <wsq/wsq_c.h>

#include <cstring>
#include <vector>

#include "tools/synthetic_print.h"

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 70;

wsq_c_options quiet() {
  wsq_c_options options = wsq_c_default_options();
  options.quiet = 1;
  return options;
}

TEST(WsqCApi, EncodeAndDecodeMatchTheCppInterface) {
  const std::vector<uint8_t> pixels = make_synthetic_print(kWidth, kHeight, 3);
  const wsq_c_options options = quiet();
  uint8_t* codestream = nullptr;
  size_t length = 0;
  ASSERT_EQ(wsq_c_encode(pixels.data(), kWidth, kHeight, 1.5f, 300, "a comment", &options,
                         &codestream, &length),
            0);
  wsq::EncodeParams params;
  params.bitrate = 1.5f;
  params.ppi = 300;
  params.comment = "a comment";
  wsq::Options cpp_options;
  cpp_options.messages = [](std::string_view) {};
  std::vector<uint8_t> expected;
  ASSERT_EQ(wsq::encode(pixels, kWidth, kHeight, params, expected, cpp_options), wsq::Error::ok);
  ASSERT_EQ(length, expected.size());
  EXPECT_EQ(std::memcmp(codestream, expected.data(), length), 0);

  wsq_c_image image;
  ASSERT_EQ(wsq_c_decode(codestream, length, &options, &image), 0);
  wsq::Image decoded;
  ASSERT_EQ(wsq::decode(expected, decoded, cpp_options), wsq::Error::ok);
  EXPECT_EQ(image.width, kWidth);
  EXPECT_EQ(image.height, kHeight);
  EXPECT_EQ(image.ppi, 300);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + kWidth * kHeight), decoded.pixels);
  ASSERT_NE(image.comment, nullptr);
  EXPECT_STREQ(image.comment, "a comment");
  wsq_c_free_image(&image);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.comment, nullptr);
  wsq_c_free(codestream);
}

TEST(WsqCApi, FailuresLeaveOutputsAlone) {
  const wsq_c_options options = quiet();
  wsq_c_image image{1, 2, 3, nullptr, nullptr};
  const uint8_t not_wsq[] = {1, 2, 3, 4};
  EXPECT_EQ(wsq_c_decode(not_wsq, sizeof not_wsq, &options, &image), -88);
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(wsq_c_decode(nullptr, 10, &options, &image), -101);
  EXPECT_EQ(wsq_c_decode(not_wsq, sizeof not_wsq, &options, nullptr), -101);

  const std::vector<uint8_t> pixels(64 * 64, 128);
  uint8_t* codestream = nullptr;
  size_t length = 7;
  EXPECT_EQ(wsq_c_encode(pixels.data(), 64, 64, 0.75f, -1, nullptr, &options, &codestream, &length), -14);
  EXPECT_EQ(wsq_c_encode(pixels.data(), 0, 64, 0.75f, -1, nullptr, &options, &codestream, &length), -14);
  EXPECT_EQ(wsq_c_encode(nullptr, 80, 80, 0.75f, -1, nullptr, &options, &codestream, &length), -101);
  EXPECT_EQ(codestream, nullptr);
  EXPECT_EQ(length, 7u);

  wsq_c_options limited = quiet();
  limited.max_pixels = 100;
  const std::vector<uint8_t> big(80 * 80, 128);
  EXPECT_EQ(wsq_c_encode(big.data(), 80, 80, 0.75f, -1, nullptr, &limited, &codestream, &length), -24);
}

TEST(WsqCApi, ErrorTextsAreTheCppTexts) {
  for (const int32_t code : {0, -2, -24, -88, -101, -7}) {
    EXPECT_STREQ(wsq_c_error_text(code), wsq::error_text(static_cast<wsq::Error>(code)));
  }
  const wsq_c_options defaults = wsq_c_default_options();
  EXPECT_EQ(defaults.max_pixels, wsq::Options{}.max_pixels);
  EXPECT_EQ(defaults.quiet, 0);
}

}  // namespace
