// The decoder over hand-built codestreams and over the encoder's output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"
#include "wsq/huffman_codes.h"
#include "wsq/nistcom.h"
#include "wsq/transform.h"

namespace {

// Writes codestreams segment by segment with the codec's own writers.
class StreamBuilder {
 public:
  StreamBuilder& soi() { return word(kSoiMarker); }
  StreamBuilder& eoi() { return word(kEoiMarker); }
  StreamBuilder& word(uint16_t value) {
    EXPECT_EQ(putc_word16(value, data(), capacity(), length_), 0);
    return *this;
  }
  StreamBuilder& comment(const std::string& text) {
    EXPECT_EQ(putc_comment_segment(kComMarker, text.data(), static_cast<int32_t>(text.size()),
                                   data(), capacity(), length_),
              0);
    return *this;
  }
  StreamBuilder& transform_table() {
    return transform_table(encoder_lofilt, kEncoderLoSize, encoder_hifilt, kEncoderHiSize);
  }
  // The writer always records the length of the 9/7 table the encoder uses;
  // other sizes get their true segment length patched in.
  StreamBuilder& transform_table(const float* lo, int32_t lo_size, const float* hi, int32_t hi_size) {
    const int32_t start = length_;
    EXPECT_EQ(putc_transform_table(lo, lo_size, hi, hi_size, data(), capacity(), length_), 0);
    const int32_t segment = length_ - start - 2;
    buffer_[start + 2] = static_cast<uint8_t>(segment >> 8);
    buffer_[start + 3] = static_cast<uint8_t>(segment);
    return *this;
  }
  // Bin width 1 for subband 0 only.
  StreamBuilder& quant_table() {
    float q[64] = {1.0f};
    float z[64] = {1.2f};
    EXPECT_EQ(putc_quantization_table(q, z, data(), capacity(), length_), 0);
    return *this;
  }
  StreamBuilder& frame(int32_t width, int32_t height, float m_shift, float r_scale = 1.0f) {
    EXPECT_EQ(putc_frame_segment(width, height, m_shift, r_scale, data(), capacity(), length_),
              0);
    return *this;
  }
  // A table of one 1-bit code: 0 stands for the coefficient 0.
  StreamBuilder& huffman_table(uint8_t id) {
    const uint8_t counts[16] = {1};
    const uint8_t values[1] = {180};
    EXPECT_EQ(putc_huffman_segment(kDhtMarker, id, counts, values, data(), capacity(), length_),
              0);
    return *this;
  }
  // A block of one zero coefficient: the code 0 and seven fill bits.
  StreamBuilder& block(uint8_t table_id) {
    EXPECT_EQ(putc_block_segment(table_id, data(), capacity(), length_), 0);
    EXPECT_EQ(putc_byte(0x7F, data(), capacity(), length_), 0);
    return *this;
  }
  std::vector<uint8_t> bytes() const { return {buffer_.begin(), buffer_.begin() + length_}; }

 private:
  uint8_t* data() { return buffer_.data(); }
  int32_t capacity() const { return static_cast<int32_t>(buffer_.size()); }
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(8192);
  int32_t length_ = 0;
};

struct Result {
  int32_t ret = 0;
  std::vector<uint8_t> pixels;
  int32_t width = -7, height = -7, depth = -7, ppi = -7, lossy = -7;
  std::string messages;
};

Result decode(WsqDecoder& decoder, const std::vector<uint8_t>& stream) {
  Result r;
  CapturedDiagnostics diag;
  r.ret = wsq_decode_mem(decoder, r.pixels, r.width, r.height, r.depth, r.ppi, r.lossy,
                         stream.data(), static_cast<int32_t>(stream.size()));
  r.messages = diag.text();
  return r;
}

Result decode(const std::vector<uint8_t>& stream) {
  WsqDecoder decoder;
  return decode(decoder, stream);
}

void expect_untouched(const Result& r) {
  EXPECT_TRUE(r.pixels.empty());
  EXPECT_EQ(r.width, -7);
  EXPECT_EQ(r.height, -7);
  EXPECT_EQ(r.ppi, -7);
}

// A complete flat codestream: every coefficient 0, so every pixel is m_shift
// rounded.
std::vector<uint8_t> flat(int32_t width, int32_t height, float m_shift,
                          const std::string& nistcom = "NIST_COM 2\nPPI 500") {
  StreamBuilder s;
  s.soi();
  if (!nistcom.empty()) s.comment(nistcom);
  s.transform_table().quant_table().frame(width, height, m_shift);
  return s.huffman_table(0).block(0).eoi().bytes();
}

TEST(Decoder, FlatImageGivesOutputs) {
  const Result r = decode(flat(70, 66, 100.0f));
  ASSERT_EQ(r.ret, 0) << r.messages;
  EXPECT_EQ(r.width, 70);
  EXPECT_EQ(r.height, 66);
  EXPECT_EQ(r.depth, 8);
  EXPECT_EQ(r.ppi, 500);
  EXPECT_EQ(r.lossy, 1);
  EXPECT_EQ(r.pixels, std::vector<uint8_t>(70 * 66, 100));
  EXPECT_EQ(r.messages, "");
}

// A codestream may declare one-tap filters; synthesis must not read a tap the
// filter does not have (checked under the address sanitizer).
TEST(Decoder, OneTapFiltersDecode) {
  const float one[1] = {1.0f};
  StreamBuilder s;
  s.soi().transform_table(one, 1, one, 1).quant_table().frame(80, 70, 90.0f);
  const Result r = decode(s.huffman_table(0).block(0).eoi().bytes());
  ASSERT_EQ(r.ret, 0) << r.messages;
  EXPECT_EQ(r.pixels, std::vector<uint8_t>(80 * 70, 90));
}

TEST(Decoder, PixelsAreRoundedAndClamped) {
  EXPECT_EQ(decode(flat(65, 65, 127.5f)).pixels, std::vector<uint8_t>(65 * 65, 128));
  EXPECT_EQ(decode(flat(65, 65, 300.0f)).pixels, std::vector<uint8_t>(65 * 65, 255));
}

TEST(Decoder, ResolutionFromNistcom) {
  EXPECT_EQ(decode(flat(65, 65, 1.0f, "")).ppi, -1);
  EXPECT_EQ(decode(flat(65, 65, 1.0f, "NIST_COM 2\nPPI")).ppi, -1);
  EXPECT_EQ(decode(flat(65, 65, 1.0f, "NIST_COM 2\nPPI  1000dpi")).ppi, 1000);
  EXPECT_EQ(decode(flat(65, 65, 1.0f, "NIST_COM 2\nPPI x")).ppi, 0);
  EXPECT_EQ(decode(flat(65, 65, 1.0f, "NIST_COM 2\nPPI 99999999999")).ppi, INT32_MAX);
  const Result missing = decode(flat(65, 65, 1.0f, "NIST_COM 2\nDPI 500"));
  EXPECT_EQ(missing.ret, -2);
  EXPECT_EQ(missing.messages, "ERROR : extractfet_ret : feature PPI not found\n");
  expect_untouched(missing);
  // A record between the frame header and the first block still counts.
  StreamBuilder late;
  late.soi().transform_table().quant_table().frame(65, 65, 9.0f).comment("NIST_COM 2\nPPI 250");
  const Result r = decode(late.huffman_table(0).block(0).eoi().bytes());
  ASSERT_EQ(r.ret, 0) << r.messages;
  EXPECT_EQ(r.ppi, 250);
}

TEST(LookupNistcomPpi, ScansUpToTheFirstBlock) {
  int32_t ppi = 0;
  const std::vector<uint8_t> stream = flat(65, 65, 1.0f, "NIST_COM 2\nPPI -30");
  ASSERT_EQ(lookup_nistcom_ppi(ppi, stream.data(), static_cast<int32_t>(stream.size())), 0);
  EXPECT_EQ(ppi, -30);
  CapturedDiagnostics diag;
  const uint8_t not_wsq[2] = {0xFF, 0xD8};
  EXPECT_EQ(lookup_nistcom_ppi(ppi, not_wsq, 2), -88);
}

TEST(Decoder, TablesPersistInTheContextButHuffmanSlotsDoNot) {
  WsqDecoder decoder;
  StreamBuilder no_dtt;
  no_dtt.soi().quant_table().frame(65, 65, 5.0f).huffman_table(0).block(0).eoi();
  const Result first = decode(decoder, no_dtt.bytes());
  EXPECT_EQ(first.ret, -95);
  expect_untouched(first);
  ASSERT_EQ(decode(decoder, flat(65, 65, 1.0f)).ret, 0);
  const Result later = decode(decoder, no_dtt.bytes());
  ASSERT_EQ(later.ret, 0) << later.messages;
  EXPECT_EQ(later.pixels[0], 5);

  // Slot 1 was defined by the previous codestream only.
  StreamBuilder names_one;
  names_one.soi().huffman_table(1).frame(65, 65, 5.0f).huffman_table(0).block(1).eoi();
  ASSERT_EQ(decode(decoder, names_one.bytes()).ret, 0);
  StreamBuilder only_zero;
  only_zero.soi().frame(65, 65, 5.0f).huffman_table(0).block(1).eoi();
  const Result r = decode(decoder, only_zero.bytes());
  EXPECT_EQ(r.ret, -51);
  EXPECT_EQ(r.messages, "ERROR : huffman_decode_data_mem : huffman table {1} undefined.\n");

  // A separate context has read nothing.
  WsqDecoder fresh;
  EXPECT_EQ(decode(fresh, no_dtt.bytes()).ret, -95);
}

TEST(Decoder, FrameSizesAreChecked) {
  for (auto [w, h] : {std::pair{0, 100}, std::pair{100, 0}, std::pair{64, 100},
                      std::pair{100, 64}}) {
    const Result r = decode(flat(w, h, 1.0f));
    EXPECT_NE(r.ret, 0) << w << "x" << h;
    EXPECT_NE(r.messages, "");
    expect_untouched(r);
  }
  // A huge frame in a tiny codestream fails before any allocation.
  const auto start = std::chrono::steady_clock::now();
  const Result huge = decode(flat(65535, 65535, 1.0f));
  EXPECT_NE(huge.ret, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  WsqDecoder limited;
  limited.max_pixels = 65 * 65 - 1;
  EXPECT_NE(decode(limited, flat(65, 65, 1.0f)).ret, 0);
  limited.max_pixels = 65 * 65;
  EXPECT_EQ(decode(limited, flat(65, 65, 1.0f)).ret, 0);
}

TEST(Decoder, DamagedCodestreamsFail) {
  const std::vector<uint8_t> good = flat(65, 65, 1.0f);
  // Truncated inside the block data.
  const Result truncated =
      decode(std::vector<uint8_t>(good.begin(), good.end() - 3));
  EXPECT_EQ(truncated.ret, -39);
  expect_untouched(truncated);
  // Every shorter prefix fails without reading past its end.
  for (size_t n = 0; n < good.size(); n++) {
    EXPECT_NE(decode(std::vector<uint8_t>(good.begin(), good.begin() + n)).ret, 0) << n;
  }
  std::vector<uint8_t> jpeg = good;
  jpeg[1] = 0xD8;
  const Result not_wsq = decode(jpeg);
  EXPECT_EQ(not_wsq.ret, -88);
  EXPECT_EQ(not_wsq.messages, "ERROR : getc_marker_wsq : No SOI marker. {65496}\n");
  StreamBuilder sob_first;
  sob_first.soi().block(0);
  EXPECT_EQ(decode(sob_first.bytes()).ret, -89);
}

std::vector<uint8_t> ridge_image(int32_t width, int32_t height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; y++) {
    for (int32_t x = 0; x < width; x++) {
      const double ridge = std::sin(0.7 * x + 0.4 * y) + 0.3 * std::cos(0.05 * x * y / 10.0);
      pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(128 + 70 * ridge);
    }
  }
  return pixels;
}

// Blocks decoded side by side must give what decoding them in turn gives,
// also when the codestream is damaged: the same result, pixels, messages and
// bit reader state, whatever the damage is.
TEST(Decoder, ParallelBlockDecodingMatchesOneThreadOnDamagedData) {
  std::vector<uint8_t> good;
  {
    CapturedDiagnostics quiet;
    const std::vector<uint8_t> pixels = ridge_image(150, 140);
    ASSERT_EQ(wsq_encode_1(good, 2.25f, pixels.data(), 150, 140, 8, 500, nullptr), 0);
  }
  std::vector<std::vector<uint8_t>> streams{good};
  for (size_t at = good.size() / 3; at < good.size(); at += good.size() / 23) {
    for (uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}, static_cast<uint8_t>(good[at] ^ 0x10)}) {
      std::vector<uint8_t> damaged = good;
      damaged[at] = value;
      streams.push_back(damaged);
    }
    streams.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(at));
  }
  for (size_t i = 0; i < streams.size(); ++i) {
    std::vector<uint8_t> pixels[2];
    std::string messages[2];
    int32_t results[2];
    BitReaderState bits[2];
    for (int32_t threads : {1, 2}) {
      CapturedDiagnostics captured;
      WsqDecoder decoder;
      decoder.threads = threads;
      int32_t w = 0, h = 0, d = 0, ppi = 0, lossy = 0;
      results[threads - 1] = wsq_decode_mem(decoder, pixels[threads - 1], w, h, d, ppi, lossy,
                                            streams[i].data(),
                                            static_cast<int32_t>(streams[i].size()));
      messages[threads - 1] = captured.text();
      bits[threads - 1] = decoder.bits;
    }
    EXPECT_EQ(results[0], results[1]) << i;
    EXPECT_EQ(pixels[0], pixels[1]) << i;
    EXPECT_EQ(messages[0], messages[1]) << i;
    EXPECT_EQ(bits[0].current_byte, bits[1].current_byte) << i;
    EXPECT_EQ(bits[0].stuffing_follower, bits[1].stuffing_follower) << i;
  }
}

TEST(Decoder, DecodesTheEncodersCodestreams) {
  WsqDecoder decoder;
  struct Case {
    int32_t w, h;
    double mean_error;  // largest mean absolute error accepted
  };
  for (auto [w, h, mean_error] : {Case{65, 65, 8.0}, Case{200, 131, 1.0}, Case{97, 300, 1.0}}) {
    const std::vector<uint8_t> image = ridge_image(w, h);
    std::vector<uint8_t> stream;
    {
      CapturedDiagnostics quiet;
      ASSERT_EQ(wsq_encode_1(stream, 2.25f, image.data(), w, h, 8, 333, "scan 1"), 0);
    }
    const Result r = decode(decoder, stream);
    ASSERT_EQ(r.ret, 0) << r.messages;
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
    EXPECT_EQ(r.ppi, 333);
    ASSERT_EQ(r.pixels.size(), image.size());
    double error = 0;
    for (size_t i = 0; i < image.size(); i++) error += std::abs(r.pixels[i] - image[i]);
    EXPECT_LT(error / image.size(), mean_error) << w << "x" << h;
  }
}

}  // namespace
