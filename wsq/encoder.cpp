#include "wsq/encoder.h"

#include <cmath>
#include <new>

#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/huffman_encode.h"
#include "wsq/nistcom.h"
#include "wsq/quantize.h"
#include "wsq/transform.h"
#include "wsq/trees.h"

namespace {

// Largest side a frame header can record.
constexpr int32_t kMaxSide = 65535;

// What the transform and quantizer hand to the codestream writer.
struct QuantizedImage {
  WsqTrees trees;
  QuantizerState state;
  std::vector<int16_t> sip;
  int32_t sizes[3] = {0, 0, 0};
  float m_shift = 0.0f;
  float r_scale = 0.0f;
};

int32_t check_arguments(float bitrate, const uint8_t* pixels, int32_t width, int32_t height) {
  if (pixels == nullptr || width < kMinEncodeSide || height < kMinEncodeSide || width > kMaxSide ||
      height > kMaxSide || static_cast<int64_t>(width) * height > INT32_MAX - kCompressBlockSlack) {
    diag_printf("ERROR : wsq_encode_1 : image size %d x %d out of range (%d to %d pixels a side)\n",
                width, height, kMinEncodeSide, kMaxSide);
    return -14;
  }
  // A rate of no bits per pixel, or fewer, leaves the quantizer's scale
  // without meaning.
  if (!std::isfinite(bitrate) || !(bitrate > 0.0f)) {
    diag_write("ERROR : wsq_encode_1 : bitrate is not a positive finite number\n");
    return -15;
  }
  return 0;
}

// Normalises, decomposes and quantizes the image. The float plane lives only
// inside this call, so it is released before the byte buffers exist.
int32_t transform_and_quantize(QuantizedImage& image, float bitrate, const uint8_t* pixels,
                               int32_t width, int32_t height, WorkerPool& pool) {
  const int32_t pixel_count = width * height;
  FloatPlane fdata;  // image_to_floats writes every sample
  try {
    fdata.resize(pixel_count);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : malloc : fdata\n");
    return -10;
  }
  image_to_floats(fdata.data(), image.m_shift, image.r_scale, pixels, pixel_count, &pool);
  build_wsq_trees(image.trees, width, height);
  int32_t ret =
      wsq_decompose(fdata.data(), width, height, image.trees.wavelet_tree, kWaveletNodeCount,
                    encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize, &pool);
  if (ret != 0) return ret;

  image.state.r = bitrate;
  subband_variances(image.state, image.trees.subband_tree, fdata.data(), width, height, &pool);
  int32_t count = 0;
  ret = quantize(image.sip, count, image.state, image.trees.subband_tree, fdata.data(), width,
                 height, &pool);
  if (ret != 0) return ret;
  fdata = FloatPlane();

  coded_block_sizes(image.sizes[0], image.sizes[1], image.sizes[2], image.state,
                    image.trees.wavelet_tree, image.trees.subband_tree);
  if (image.sizes[0] + image.sizes[1] + image.sizes[2] != count) {
    diag_write("ERROR : wsq_encode_1 : problem w/quantization block sizes\n");
    return -11;
  }
  return 0;
}

// The bounded output buffer of the codestream.
struct Output {
  std::vector<uint8_t> data;
  int32_t length = 0;
  uint8_t* buffer() { return data.data(); }
  int32_t capacity() const { return static_cast<int32_t>(data.size()); }
};

int32_t write_header_segments(Output& out, const QuantizedImage& image, float bitrate,
                              int32_t width, int32_t height, int32_t depth, int32_t ppi,
                              const char* comment) {
  int32_t ret = putc_word16(kSoiMarker, out.buffer(), out.capacity(), out.length);
  if (ret == 0) {
    ret = put_nistcom_segments(comment, width, height, depth, ppi, 1, bitrate, out.buffer(),
                               out.capacity(), out.length);
  }
  if (ret == 0) {
    ret = putc_transform_table(encoder_lofilt, kEncoderLoSize, encoder_hifilt, kEncoderHiSize,
                               out.buffer(), out.capacity(), out.length);
  }
  if (ret == 0) {
    ret = putc_quantization_table(image.state.bin_width.data(), image.state.zero_bin_width.data(),
                                  out.buffer(), out.capacity(), out.length);
  }
  if (ret == 0) {
    ret = putc_frame_segment(width, height, image.m_shift, image.r_scale, out.buffer(),
                             out.capacity(), out.length);
  }
  return ret;
}

// Builds table `table_id` for `block_count` consecutive blocks from `first`
// and writes its DHT segment; the symbol-indexed codes are left in `codes`.
int32_t write_table(Output& out, std::vector<HuffCodeEntry>& codes, uint8_t table_id,
                    const int16_t* first, const int32_t* block_lengths, int32_t block_count) {
  std::vector<uint8_t> huffbits;
  std::vector<uint8_t> huffvalues;
  const int32_t ret =
      generate_block_table(codes, huffbits, huffvalues, first, block_lengths, block_count);
  if (ret != 0) return ret;
  return putc_huffman_segment(kDhtMarker, table_id, huffbits.data(), huffvalues.data(),
                              out.buffer(), out.capacity(), out.length);
}

// Codes one block into `huff_buf` and writes its SOB segment and bytes.
int32_t write_block(Output& out, std::vector<uint8_t>& huff_buf, int32_t huff_capacity,
                    int32_t& hsize, uint8_t table_id, const int16_t* block, int32_t length,
                    const std::vector<HuffCodeEntry>& codes) {
  int32_t ret = compress_block(huff_buf.data(), huff_capacity, hsize, block, length,
                               kMaxDirectCoefficient, kMaxDirectZeroRun, codes);
  if (ret == 0) ret = putc_block_segment(table_id, out.buffer(), out.capacity(), out.length);
  if (ret == 0) ret = putc_bytes(huff_buf.data(), hsize, out.buffer(), out.capacity(), out.length);
  return ret;
}

int32_t write_blocks(Output& out, const QuantizedImage& image, int32_t pixel_count,
                     int32_t hsize[3]) {
  std::vector<uint8_t> huff_buf;
  try {
    huff_buf.resize(static_cast<size_t>(pixel_count) + kCompressBlockSlack);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : malloc : huff_buf\n");
    return -13;
  }
  const int16_t* block1 = image.sip.data();
  const int16_t* block2 = block1 + image.sizes[0];
  const int16_t* block3 = block2 + image.sizes[1];

  std::vector<HuffCodeEntry> codes;
  int32_t ret = write_table(out, codes, 0, block1, &image.sizes[0], 1);
  if (ret == 0) {
    ret = write_block(out, huff_buf, pixel_count, hsize[0], 0, block1, image.sizes[0], codes);
  }
  if (ret == 0) ret = write_table(out, codes, 1, block2, &image.sizes[1], 2);
  if (ret == 0) {
    ret = write_block(out, huff_buf, pixel_count, hsize[1], 1, block2, image.sizes[1], codes);
  }
  if (ret == 0) {
    ret = write_block(out, huff_buf, pixel_count, hsize[2], 1, block3, image.sizes[2], codes);
  }
  return ret;
}

void write_statistics(float bitrate, int32_t pixel_count, const int32_t hsize[3]) {
  const int32_t complen = hsize[0] + hsize[1] + hsize[2];
  const double ratio = complen > 0 ? static_cast<double>(pixel_count) / complen : 0.0;
  diag_printf("hsize1 = %d :: hsize2 = %d :: hsize3 = %d\n", hsize[0], hsize[1], hsize[2]);
  diag_printf("@ r = %.3f :: complen = %d :: ratio = %.1f\n", static_cast<double>(bitrate), complen,
              ratio);
}

int32_t encode(const WsqEncoder& encoder, std::vector<uint8_t>& codestream, float bitrate,
               const uint8_t* pixels, int32_t width, int32_t height, int32_t depth, int32_t ppi,
               const char* comment) {
  int32_t ret = check_arguments(bitrate, pixels, width, height);
  if (ret != 0) return ret;
  QuantizedImage image;
  {
    WorkerPool pool(encoder.threads);
    ret = transform_and_quantize(image, bitrate, pixels, width, height, pool);
  }
  if (ret != 0) return ret;

  const int32_t pixel_count = width * height;
  Output out;
  try {
    out.data.resize(pixel_count);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : malloc : wsq_data\n");
    return -12;
  }
  ret = write_header_segments(out, image, bitrate, width, height, depth, ppi, comment);
  int32_t hsize[3] = {0, 0, 0};
  if (ret == 0) ret = write_blocks(out, image, pixel_count, hsize);
  if (ret == 0) ret = putc_word16(kEoiMarker, out.buffer(), out.capacity(), out.length);
  if (ret != 0) return ret;

  write_statistics(bitrate, pixel_count, hsize);
  out.data.resize(out.length);
  out.data.shrink_to_fit();
  codestream = std::move(out.data);
  return 0;
}

}  // namespace

int wsq_encode_1(WsqEncoder& encoder, std::vector<uint8_t>& codestream, float bitrate,
                 const uint8_t* pixels, int32_t width, int32_t height, int32_t depth, int32_t ppi,
                 const char* comment) {
  try {
    return encode(encoder, codestream, bitrate, pixels, width, height, depth, ppi, comment);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : out of memory\n");
    return -12;
  }
}

int wsq_encode_1(std::vector<uint8_t>& codestream, float bitrate, const uint8_t* pixels,
                 int32_t width, int32_t height, int32_t depth, int32_t ppi, const char* comment) {
  WsqEncoder encoder;
  return wsq_encode_1(encoder, codestream, bitrate, pixels, width, height, depth, ppi, comment);
}
