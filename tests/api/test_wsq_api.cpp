// The public C++ interface against the codec entry points it wraps.
#include <gtest/gtest.h>
#include <wsq/wsq.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

constexpr int kWidth = 130;
constexpr int kHeight = 97;

wsq::Options quiet() {
  wsq::Options options;
  options.messages = [](std::string_view) {};
  return options;
}

std::vector<uint8_t> codec_encode(const std::vector<uint8_t>& pixels, float bitrate, int ppi,
                                  const char* comment) {
  const CapturedDiagnostics silent;
  std::vector<uint8_t> codestream;
  EXPECT_EQ(wsq_encode_1(codestream, bitrate, pixels.data(), kWidth, kHeight, 8, ppi, comment), 0);
  return codestream;
}

class WsqApi : public ::testing::Test {
 protected:
  const std::vector<uint8_t> pixels = make_synthetic_print(kWidth, kHeight, 7);
  const std::vector<uint8_t> codestream = codec_encode(pixels, 0.75f, 500, "plain words");
};

TEST_F(WsqApi, EncodeGivesTheCodecBytes) {
  wsq::EncodeParams params;
  params.ppi = 500;
  params.comment = "plain words";
  std::vector<uint8_t> encoded;
  ASSERT_EQ(wsq::encode(pixels, kWidth, kHeight, params, encoded, quiet()), wsq::Error::ok);
  EXPECT_EQ(encoded, codestream);
  // The thread count never changes the bytes.
  wsq::Options threaded = quiet();
  threaded.threads = 4;
  std::vector<uint8_t> again;
  ASSERT_EQ(wsq::encode(pixels, kWidth, kHeight, params, again, threaded), wsq::Error::ok);
  EXPECT_EQ(again, codestream);
}

TEST_F(WsqApi, DecodeGivesTheCodecPixelsAndAttributes) {
  WsqDecoder decoder;
  std::vector<uint8_t> expected;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  {
    const CapturedDiagnostics silent;
    ASSERT_EQ(wsq_decode_mem(decoder, expected, width, height, depth, ppi, lossy, codestream.data(),
                             static_cast<int32_t>(codestream.size())),
              0);
  }
  wsq::Image image;
  ASSERT_EQ(wsq::decode(codestream, image, quiet()), wsq::Error::ok);
  EXPECT_EQ(image.width, kWidth);
  EXPECT_EQ(image.height, kHeight);
  EXPECT_EQ(image.ppi, 500);
  EXPECT_EQ(image.pixels, expected);
  // The NISTCOM attributes come first, then the plain comment.
  ASSERT_EQ(image.comments.size(), 2u);
  EXPECT_EQ(image.comments[0].rfind("NIST_COM", 0), 0u);
  EXPECT_EQ(image.comments[1], "plain words");
}

TEST_F(WsqApi, FailedDecodeKeepsTheImageAndReportsTheCodecCode) {
  wsq::Image image;
  image.width = 12;
  std::vector<uint8_t> truncated(codestream.begin(), codestream.begin() + 40);
  EXPECT_EQ(wsq::decode(truncated, image, quiet()), wsq::Error::truncated_data);
  const std::vector<uint8_t> not_wsq = {0x89, 'P', 'N', 'G'};
  EXPECT_EQ(wsq::decode(not_wsq, image, quiet()), wsq::Error::no_soi_marker);
  // An empty codestream fails as the codec says.
  WsqDecoder decoder;
  std::vector<uint8_t> unused;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  int32_t codec_code = 0;
  {
    const CapturedDiagnostics silent;
    codec_code = wsq_decode_mem(decoder, unused, width, height, depth, ppi, lossy, nullptr, 0);
  }
  EXPECT_NE(codec_code, 0);
  EXPECT_EQ(wsq::decode({}, image, quiet()), static_cast<wsq::Error>(codec_code));
  EXPECT_EQ(image.width, 12);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(WsqApi, PixelLimitRefusesLargerImages) {
  wsq::Options limited = quiet();
  limited.max_pixels = kWidth * kHeight - 1;
  wsq::Image image;
  EXPECT_EQ(wsq::decode(codestream, image, limited), wsq::Error::too_many_pixels);
  std::vector<uint8_t> encoded;
  EXPECT_EQ(wsq::encode(pixels, kWidth, kHeight, {}, encoded, limited), wsq::Error::too_many_pixels);
  limited.max_pixels = kWidth * kHeight;
  EXPECT_EQ(wsq::decode(codestream, image, limited), wsq::Error::ok);
}

TEST_F(WsqApi, EncodeRefusesBadArgumentsWithoutTouchingTheOutput) {
  std::vector<uint8_t> encoded = {1, 2, 3};
  const std::vector<uint8_t> short_buffer(pixels.begin(), pixels.end() - 1);
  EXPECT_EQ(wsq::encode(short_buffer, kWidth, kHeight, {}, encoded, quiet()), wsq::Error::bad_argument);
  EXPECT_EQ(wsq::encode(pixels, 64, kHeight, {}, encoded, quiet()), wsq::Error::bad_size);
  EXPECT_EQ(wsq::encode(pixels, -5, kHeight, {}, encoded, quiet()), wsq::Error::bad_size);
  wsq::EncodeParams zero_rate;
  zero_rate.bitrate = 0.0f;
  EXPECT_EQ(wsq::encode(pixels, kWidth, kHeight, zero_rate, encoded, quiet()), wsq::Error::bad_bitrate);
  EXPECT_EQ(encoded, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(WsqApi, MessagesGoToTheCallersSinkOnlyForTheCall) {
  std::string received;
  wsq::Options options;
  options.messages = [&received](std::string_view text) { received += text; };
  wsq::Image image;
  const std::vector<uint8_t> not_wsq = {0x00, 0x01};
  const CapturedDiagnostics outer;
  EXPECT_NE(wsq::decode(not_wsq, image, options), wsq::Error::ok);
  EXPECT_NE(received.find("No SOI marker"), std::string::npos);
  EXPECT_TRUE(outer.text().empty());
}

TEST_F(WsqApi, ReadsNistcomFields) {
  std::vector<wsq::Field> fields;
  ASSERT_EQ(wsq::read_nistcom(codestream, fields, quiet()), wsq::Error::ok);
  auto value_of = [&fields](const std::string& name) -> std::string {
    for (const auto& field : fields) {
      if (field.name == name) return field.value.value_or("(none)");
    }
    return "(absent)";
  };
  EXPECT_EQ(value_of("PIX_WIDTH"), std::to_string(kWidth));
  EXPECT_EQ(value_of("PIX_HEIGHT"), std::to_string(kHeight));
  EXPECT_EQ(value_of("PPI"), "500");
  EXPECT_EQ(value_of("COMPRESSION"), "WSQ");
}

TEST_F(WsqApi, NoNistcomCommentGivesNoFields) {
  // Drop the NISTCOM segment that follows SOI: its length is bytes 4 and 5.
  const size_t length = static_cast<size_t>(codestream[4]) << 8 | codestream[5];
  std::vector<uint8_t> stripped(codestream.begin(), codestream.begin() + 2);
  stripped.insert(stripped.end(), codestream.begin() + 4 + static_cast<long>(length), codestream.end());
  std::vector<wsq::Field> fields = {{"stale", std::nullopt}};
  ASSERT_EQ(wsq::read_nistcom(stripped, fields, quiet()), wsq::Error::ok);
  EXPECT_TRUE(fields.empty());
  wsq::Image image;
  ASSERT_EQ(wsq::decode(stripped, image, quiet()), wsq::Error::ok);
  EXPECT_EQ(image.ppi, -1);
  EXPECT_EQ(image.comments, std::vector<std::string>{"plain words"});
}

TEST(WsqErrorText, EveryNamedCodeHasItsOwnText) {
  const wsq::Error named[] = {
      wsq::Error::ok, wsq::Error::all_ones_code, wsq::Error::bad_segment, wsq::Error::no_memory_list,
      wsq::Error::bad_huffman_table, wsq::Error::field_too_long, wsq::Error::bad_huffman_id,
      wsq::Error::no_memory_samples, wsq::Error::bad_block_sizes, wsq::Error::no_memory_codestream,
      wsq::Error::no_memory_blocks, wsq::Error::bad_size, wsq::Error::bad_bitrate,
      wsq::Error::no_memory_coefficients, wsq::Error::no_memory_pixels, wsq::Error::empty_frame,
      wsq::Error::frame_too_small, wsq::Error::too_many_pixels, wsq::Error::output_full,
      wsq::Error::output_overflow, wsq::Error::comment_too_long, wsq::Error::end_of_data,
      wsq::Error::truncated_data, wsq::Error::no_stuffed_zero, wsq::Error::no_memory_counts,
      wsq::Error::block_too_long, wsq::Error::undefined_huffman_table, wsq::Error::invalid_symbol,
      wsq::Error::no_matching_code, wsq::Error::too_many_coefficients,
      wsq::Error::bin_width_too_large, wsq::Error::zero_bin_width_too_large,
      wsq::Error::no_soi_marker, wsq::Error::no_sof_marker, wsq::Error::no_sob_marker,
      wsq::Error::no_marker, wsq::Error::undefined_quant_table, wsq::Error::invalid_table,
      wsq::Error::no_memory_filters, wsq::Error::undefined_lowpass, wsq::Error::undefined_highpass,
      wsq::Error::no_memory_transform, wsq::Error::filters_too_long, wsq::Error::input_too_large,
      wsq::Error::bad_argument};
  std::set<std::string> texts;
  for (const wsq::Error error : named) texts.insert(wsq::error_text(error));
  EXPECT_EQ(texts.size(), std::size(named));
  EXPECT_EQ(texts.count("unknown error"), 0u);
  EXPECT_STREQ(wsq::error_text(static_cast<wsq::Error>(-7)), "unknown error");
}

}  // namespace
