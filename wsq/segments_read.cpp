// Readers of the DTT, DQT, SOF, SOB and COM segment bodies, the segment
// skipper and the dispatch of table segments.
#include <new>

#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/codestream_scaled.h"
#include "wsq/diagnostics.h"

namespace {

// A scale byte followed by a 16-bit value.
int32_t getc_scaled16(float& result, const uint8_t*& cursor, const uint8_t* end) {
  uint8_t scale = 0;
  uint16_t value = 0;
  if (int32_t ret = getc_byte(scale, cursor, end)) return ret;
  if (int32_t ret = getc_word16(value, cursor, end)) return ret;
  result = scaled_to_float(value, scale);
  return 0;
}

// A sign byte, a scale byte and a 32-bit value.
int32_t getc_signed_scaled32(float& result, const uint8_t*& cursor, const uint8_t* end) {
  uint8_t sign = 0;
  uint8_t scale = 0;
  uint32_t value = 0;
  if (int32_t ret = getc_byte(sign, cursor, end)) return ret;
  if (int32_t ret = getc_byte(scale, cursor, end)) return ret;
  if (int32_t ret = getc_word32(value, cursor, end)) return ret;
  result = scaled_to_float(value, scale);
  if (sign != 0) result = result * -1.0f;
  return 0;
}

// Reads the stored half of a symmetric filter of `size` taps and mirrors it
// about its centre. For an even size, `even_sign` is +1 for the first list
// (its mirrored taps change sign) and -1 for the second (its stored taps
// change sign, the mirrored ones keep it).
int32_t read_filter_half(std::vector<float>& filter, uint8_t size, float even_sign,
                         const uint8_t*& cursor, const uint8_t* end) {
  const int half = (size + 1) / 2;
  const int h = half - 1;
  for (int c = 0; c <= h; c++) {
    float a = 0.0f;
    if (int32_t ret = getc_signed_scaled32(a, cursor, end)) return ret;
    const float alternate = (c % 2 == 0) ? 1.0f : -1.0f;
    if (size % 2 == 1) {
      filter[h + c] = alternate * a;
      if (c > 0) filter[h - c] = filter[h + c];
    } else {
      filter[h + c + 1] = (even_sign * alternate) * a;
      filter[h - c] = even_sign * -1.0f * filter[h + c + 1];
    }
  }
  return 0;
}

}  // namespace

int32_t getc_transform_table(TransformTable& transform, const uint8_t*& cursor,
                             const uint8_t* end) {
  // Whatever happens below, the filters of an earlier segment are gone.
  transform = TransformTable{};
  uint16_t length = 0;
  uint8_t hisize = 0;
  uint8_t losize = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  if (int32_t ret = getc_byte(hisize, cursor, end)) return ret;
  if (int32_t ret = getc_byte(losize, cursor, end)) return ret;
  if (hisize == 0 || losize == 0) {
    diag_printf("ERROR : getc_transform_table : filter length of 0 taps (%u, %u)\n", hisize,
                losize);
    return -98;
  }
  std::vector<float> lofilt;
  std::vector<float> hifilt;
  try {
    lofilt.assign(losize, 0.0f);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : getc_transform_table : calloc : lofilt\n");
    return -94;
  }
  try {
    hifilt.assign(hisize, 0.0f);
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : getc_transform_table : calloc : hifilt\n");
    return -95;
  }
  if (int32_t ret = read_filter_half(hifilt, hisize, 1.0f, cursor, end)) return ret;
  if (int32_t ret = read_filter_half(lofilt, losize, -1.0f, cursor, end)) return ret;
  transform.lofilt = std::move(lofilt);
  transform.hifilt = std::move(hifilt);
  transform.losize = losize;
  transform.hisize = hisize;
  transform.lo_defined = 1;
  transform.hi_defined = 1;
  return 0;
}

int32_t getc_quant_table(QuantTable& quant, const uint8_t*& cursor, const uint8_t* end) {
  QuantTable read;
  uint16_t length = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  if (int32_t ret = getc_scaled16(read.centre, cursor, end)) return ret;
  for (int k = 0; k < kSubbandCount; k++) {
    if (int32_t ret = getc_scaled16(read.q[k], cursor, end)) return ret;
    if (int32_t ret = getc_scaled16(read.z[k], cursor, end)) return ret;
  }
  read.defined = 1;
  quant = read;
  return 0;
}

int32_t getc_frame_segment(FrameHeader& frame, const uint8_t*& cursor, const uint8_t* end) {
  FrameHeader read;
  uint16_t length = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  if (int32_t ret = getc_byte(read.black, cursor, end)) return ret;
  if (int32_t ret = getc_byte(read.white, cursor, end)) return ret;
  if (int32_t ret = getc_word16(read.height, cursor, end)) return ret;
  if (int32_t ret = getc_word16(read.width, cursor, end)) return ret;
  if (int32_t ret = getc_scaled16(read.m_shift, cursor, end)) return ret;
  if (int32_t ret = getc_scaled16(read.r_scale, cursor, end)) return ret;
  if (int32_t ret = getc_byte(read.encoder, cursor, end)) return ret;
  if (int32_t ret = getc_word16(read.software, cursor, end)) return ret;
  frame = read;
  return 0;
}

int32_t getc_block_segment(uint8_t& table_id, const uint8_t*& cursor, const uint8_t* end) {
  uint16_t length = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  return getc_byte(table_id, cursor, end);
}

int32_t getc_comment(std::string& text, const uint8_t*& cursor, const uint8_t* end) {
  uint16_t length = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  if (length < 2) {
    diag_printf("ERROR : getc_comment : segment length %u below 2\n", length);
    return -2;
  }
  const int32_t count = length - 2;
  std::string read;
  try {
    read.assign(static_cast<size_t>(count), '\0');
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : getc_comment : malloc : comment\n");
    return -2;
  }
  if (int32_t ret = getc_bytes(reinterpret_cast<uint8_t*>(read.data()), count, cursor, end)) {
    return ret;
  }
  text = std::move(read);
  return 0;
}

int32_t getc_skip_marker_segment(uint16_t marker, const uint8_t*& cursor, const uint8_t* end) {
  uint16_t length = 0;
  if (int32_t ret = getc_word16(length, cursor, end)) return ret;
  if (length < 2) {
    diag_printf("ERROR : getc_skip_marker_segment : marker %d segment length %d below 2\n",
                marker, length);
    return -2;
  }
  const int32_t count = length - 2;
  // The segment must end before the end of the buffer, not at it.
  if (end - cursor <= count) {
    diag_write("ERROR : getc_skip_marker_segment : ");
    diag_write("unexpected end of buffer when parsing ");
    diag_printf("marker %d segment of length %d\n", marker, count);
    return -2;
  }
  cursor += count;
  return 0;
}

int32_t getc_table_wsq(uint16_t marker, TransformTable& transform, QuantTable& quant,
                       HuffmanTableSet& huffman, const uint8_t*& cursor, const uint8_t* end) {
  switch (marker) {
    case kDttMarker:
      return getc_transform_table(transform, cursor, end);
    case kDqtMarker:
      return getc_quant_table(quant, cursor, end);
    case kDhtMarker:
      return getc_huffman_table_wsq(huffman, cursor, end);
    case kComMarker: {
      std::string discarded;
      return getc_comment(discarded, cursor, end);
    }
    default:
      diag_printf("ERROR: getc_table_wsq : Invalid table defined -> {%u}\n", marker);
      return -93;
  }
}
