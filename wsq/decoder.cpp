#include "wsq/decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/float_plane.h"
#include "wsq/huffman_decode_blocks.h"
#include "wsq/nistcom.h"
#include "wsq/quantize.h"
#include "wsq/transform.h"
#include "wsq/trees.h"
#include "wsq/worker_pool.h"

namespace {

// Reads SOI, the table segments before the frame and the frame header.
int32_t read_header(WsqDecoder& decoder, const uint8_t*& cursor, const uint8_t* end) {
  uint16_t marker = 0;
  if (int32_t ret = getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end)) return ret;
  if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sof, cursor, end)) return ret;
  while (marker != kSofMarker) {
    if (int32_t ret = getc_table_wsq(marker, decoder.transform, decoder.quant, decoder.huffman,
                                     cursor, end)) {
      return ret;
    }
    if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sof, cursor, end)) {
      return ret;
    }
  }
  return getc_frame_segment(decoder.frame, cursor, end);
}

// Refuses frames the decoder cannot rebuild or that exceed the pixel limit.
int32_t check_frame_size(const FrameHeader& frame, uint64_t max_pixels) {
  if (frame.width == 0 || frame.height == 0) {
    diag_printf("ERROR: wsq_decode_mem : empty frame of %u x %u pixels\n", frame.width,
                frame.height);
    return -22;
  }
  if (frame.width < kMinDecodeSide || frame.height < kMinDecodeSide) {
    diag_printf("ERROR: wsq_decode_mem : frame of %u x %u pixels is below %d x %d\n", frame.width,
                frame.height, kMinDecodeSide, kMinDecodeSide);
    return -23;
  }
  // Sizes are counted in 32-bit integers further on, whatever the caller allows.
  const uint64_t pixel_count = static_cast<uint64_t>(frame.width) * frame.height;
  if (pixel_count > max_pixels || pixel_count > INT32_MAX) {
    diag_printf("ERROR: wsq_decode_mem : frame of %u x %u pixels is above the limit of %llu\n",
                frame.width, frame.height, static_cast<unsigned long long>(max_pixels));
    return -24;
  }
  return 0;
}

// Reads a decimal integer as the C library's atoi does: leading white space,
// an optional sign, digits up to the first non-digit; 0 without digits.
// Numbers beyond the 32-bit range are clamped to it.
int32_t parse_decimal(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

int32_t lookup_nistcom_ppi(int32_t& ppi, const uint8_t* codestream, int32_t length) {
  std::unique_ptr<FET> nistcom;
  if (int32_t ret = find_nistcom_comment(nistcom, codestream, length)) return ret;
  if (!nistcom) {
    ppi = -1;
    return 0;
  }
  std::optional<std::string> value;
  if (int32_t ret = extractfet_ret(value, "PPI", *nistcom)) return ret;
  ppi = value ? parse_decimal(*value) : -1;
  return 0;
}

int32_t wsq_decode_mem(WsqDecoder& decoder, std::vector<uint8_t>& pixels, int32_t& width,
                       int32_t& height, int32_t& depth, int32_t& ppi, int32_t& lossy,
                       const uint8_t* codestream, int32_t length) {
  const uint8_t* cursor = codestream;
  const uint8_t* end = codestream + (length > 0 ? length : 0);
  for (HuffmanTable& slot : decoder.huffman.slots) slot.defined = 0;
  if (int32_t ret = read_header(decoder, cursor, end)) return ret;
  if (int32_t ret = check_frame_size(decoder.frame, decoder.max_pixels)) return ret;
  const int32_t frame_width = decoder.frame.width;
  const int32_t frame_height = decoder.frame.height;
  const int32_t pixel_count = frame_width * frame_height;
  int32_t found_ppi = -1;
  if (int32_t ret = lookup_nistcom_ppi(found_ppi, codestream, length)) return ret;
  WsqTrees trees;
  build_wsq_trees(trees, frame_width, frame_height);

  WorkerPool pool(decoder.threads);
  FloatPlane fip;
  {
    CoefficientPlane coefficients;  // every entry is set by the block decoder
    try {
      coefficients.resize(static_cast<size_t>(pixel_count));
    } catch (const std::bad_alloc&) {
      diag_write("ERROR: wsq_decode_mem : malloc : qdata1\n");
      return -20;
    }
    if (int32_t ret = huffman_decode_blocks(coefficients.data(), pixel_count, decoder.transform,
                                            decoder.quant, decoder.huffman, decoder.bits, cursor,
                                            end, trees, pool)) {
      return ret;
    }
    if (int32_t ret = unquantize(fip, decoder.quant, trees.subband_tree, coefficients.data(),
                                 pixel_count, frame_width, frame_height, &pool)) {
      return ret;
    }
  }
  // The pixels are made by the transform's last pass, once its scratch for
  // the columns is released.
  std::vector<uint8_t> image;
  bool no_image_memory = false;
  const auto make_image = [&]() -> uint8_t* {
    try {
      image.resize(static_cast<size_t>(pixel_count));
    } catch (const std::bad_alloc&) {
      diag_write("ERROR: wsq_decode_mem : malloc : cdata\n");
      no_image_memory = true;
      return nullptr;
    }
    return image.data();
  };
  const PixelOutput output{make_image, decoder.frame.m_shift, decoder.frame.r_scale};
  const int32_t ret = wsq_reconstruct(fip.data(), frame_width, frame_height, trees.wavelet_tree,
                                      kWaveletNodeCount, decoder.transform, &pool, &output);
  if (no_image_memory) return -21;
  if (ret != 0) return ret;
  pixels = std::move(image);
  width = frame_width;
  height = frame_height;
  depth = 8;
  ppi = found_ppi;
  lossy = 1;
  return 0;
}
