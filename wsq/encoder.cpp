#include "wsq/encoder.h"

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/float_plane.h"
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
  CoefficientPlane sip;
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
  FloatPlane fdata;  // the decomposition makes every sample from the pixels
  try {
    fdata.resize(pixel_count);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : malloc : fdata\n");
    return -10;
  }
  const PixelInput input = pixel_input(pixels, pixel_count);
  image.m_shift = input.m_shift;
  image.r_scale = input.r_scale;
  build_wsq_trees(image.trees, width, height);
  int32_t ret =
      wsq_decompose(fdata.data(), width, height, image.trees.wavelet_tree, kWaveletNodeCount,
                    encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize, &pool, &input);
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
  ByteBuffer data;
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

// A table built for one or two consecutive blocks: the symbol-indexed codes,
// and the counts and values its DHT segment carries.
struct BlockTable {
  std::vector<HuffCodeEntry> codes;
  std::vector<uint8_t> huffbits;
  std::vector<uint8_t> huffvalues;
};

// A piece of the coding done on any thread: its result and the diagnostics
// it wrote, which the caller writes out in the order the steps would have
// run one after another.
struct Step {
  int32_t ret = 0;
  std::string diagnostics;
};

template <class Work>
Step run_step(const Work& work) {
  CapturedDiagnostics captured;
  const int32_t ret = work();
  return {ret, captured.text()};
}

// Writes out a step's diagnostics; returns its result.
int32_t finish_step(const Step& step) {
  diag_write(step.diagnostics);
  return step.ret;
}

Step build_table(BlockTable& table, const int16_t* first, const int32_t* block_lengths,
                 int32_t block_count) {
  return run_step([&] {
    return generate_block_table(table.codes, table.huffbits, table.huffvalues, first, block_lengths,
                                block_count);
  });
}

Step code_block(ByteBuffer& buffer, int32_t capacity, int32_t& byte_count, const int16_t* block,
                int32_t length, const BlockTable& table) {
  return run_step([&] {
    return compress_block(buffer.data(), capacity, byte_count, block, length, kMaxDirectCoefficient,
                          kMaxDirectZeroRun, table.codes);
  });
}

int32_t put_table(Output& out, uint8_t table_id, const BlockTable& table) {
  return putc_huffman_segment(kDhtMarker, table_id, table.huffbits.data(), table.huffvalues.data(),
                              out.buffer(), out.capacity(), out.length);
}

int32_t put_block(Output& out, uint8_t table_id, const ByteBuffer& bytes, int32_t byte_count) {
  int32_t ret = putc_block_segment(table_id, out.buffer(), out.capacity(), out.length);
  if (ret == 0)
    ret = putc_bytes(bytes.data(), byte_count, out.buffer(), out.capacity(), out.length);
  return ret;
}

// Block 1 has table 0, blocks 2 and 3 share table 1. The tables and blocks
// are coded two at a time on the pool (table 0 and block 1 beside table 1,
// then block 2 beside block 3), and the segments written in codestream
// order; diagnostics and failures come out as they would one step at a
// time, and a step after a failed one leaves no trace.
int32_t write_blocks(Output& out, const QuantizedImage& image, int32_t pixel_count,
                     int32_t hsize[3], WorkerPool& pool) {
  ByteBuffer buffers[2];
  try {
    for (ByteBuffer& buffer : buffers) {
      buffer.resize(static_cast<size_t>(pixel_count) + kCompressBlockSlack);
    }
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_encode_1 : malloc : huff_buf\n");
    return -13;
  }
  const int16_t* block1 = image.sip.data();
  const int16_t* block2 = block1 + image.sizes[0];
  const int16_t* block3 = block2 + image.sizes[1];

  BlockTable tables[2];
  Step table0, coded1, table1;
  pool.run(2, [&](int32_t task, int32_t) {
    if (task == 0) {
      table0 = build_table(tables[0], block1, &image.sizes[0], 1);
      if (table0.ret == 0) {
        coded1 = code_block(buffers[0], pixel_count, hsize[0], block1, image.sizes[0], tables[0]);
      }
    } else {
      table1 = build_table(tables[1], block2, &image.sizes[1], 2);
    }
  });
  if (int32_t ret = finish_step(table0)) return ret;
  if (int32_t ret = put_table(out, 0, tables[0])) return ret;
  if (int32_t ret = finish_step(coded1)) return ret;
  if (int32_t ret = put_block(out, 0, buffers[0], hsize[0])) return ret;
  if (int32_t ret = finish_step(table1)) return ret;
  if (int32_t ret = put_table(out, 1, tables[1])) return ret;

  Step coded[2];
  pool.run(2, [&](int32_t task, int32_t) {
    const int16_t* block = task == 0 ? block2 : block3;
    coded[task] = code_block(buffers[task], pixel_count, hsize[1 + task], block,
                             image.sizes[1 + task], tables[1]);
  });
  for (int32_t task = 0; task < 2; ++task) {
    if (int32_t ret = finish_step(coded[task])) return ret;
    if (int32_t ret = put_block(out, 1, buffers[task], hsize[1 + task])) return ret;
  }
  return 0;
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
  WorkerPool pool(encoder.threads);
  ret = transform_and_quantize(image, bitrate, pixels, width, height, pool);
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
  if (ret == 0) ret = write_blocks(out, image, pixel_count, hsize, pool);
  if (ret == 0) ret = putc_word16(kEoiMarker, out.buffer(), out.capacity(), out.length);
  if (ret != 0) return ret;

  write_statistics(bitrate, pixel_count, hsize);
  codestream.assign(out.data.begin(), out.data.begin() + out.length);
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
