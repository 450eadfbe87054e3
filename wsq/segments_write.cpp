// Writers of whole DTT, DQT, DHT, SOF, SOB and COM segments.
#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/codestream_scaled.h"
#include "wsq/diagnostics.h"

namespace {

struct Output {
  uint8_t* buffer;
  int32_t capacity;
  int32_t& length;

  int32_t byte(uint8_t value) { return putc_byte(value, buffer, capacity, length); }
  int32_t word16(uint16_t value) { return putc_word16(value, buffer, capacity, length); }
  int32_t word32(uint32_t value) { return putc_word32(value, buffer, capacity, length); }
};

// Writes taps floor(size/2) .. size-1 as sign, scale and 32-bit value.
// Fails with `code` when a tap's magnitude cannot be stored.
int32_t put_filter_half(const float* taps, int32_t size, const char* name, int32_t code,
                        Output& out) {
  for (int32_t k = size / 2; k < size; k++) {
    const uint8_t sign = taps[k] < 0.0f ? 1 : 0;
    const float magnitude = sign ? -taps[k] : taps[k];
    uint8_t scale = 0;
    uint32_t value = 0;
    if (!float_to_scaled(magnitude, kScaledLimit32, scale, value)) {
      diag_printf("ERROR: putc_transform_table : %s[%d] to high at %f\n", name, k, taps[k]);
      return code;
    }
    if (int32_t ret = out.byte(sign)) return ret;
    if (int32_t ret = out.byte(scale)) return ret;
    if (int32_t ret = out.word32(value)) return ret;
  }
  return 0;
}

// Writes a scale byte and a 16-bit value of a magnitude known to fit.
int32_t put_scaled16(float magnitude, Output& out) {
  uint8_t scale = 0;
  uint32_t value = 0;
  float_to_scaled(magnitude, kScaledLimit16, scale, value);
  if (int32_t ret = out.byte(scale)) return ret;
  return out.word16(static_cast<uint16_t>(value));
}

}  // namespace

int32_t putc_transform_table(const float* lofilt, int32_t losize, const float* hifilt,
                             int32_t hisize, uint8_t* buffer, int32_t capacity,
                             int32_t& length) {
  Output out{buffer, capacity, length};
  if (int32_t ret = out.word16(kDttMarker)) return ret;
  if (int32_t ret = out.word16(58)) return ret;
  if (int32_t ret = out.byte(static_cast<uint8_t>(losize))) return ret;
  if (int32_t ret = out.byte(static_cast<uint8_t>(hisize))) return ret;
  if (int32_t ret = put_filter_half(lofilt, losize, "lofilt", -82, out)) return ret;
  return put_filter_half(hifilt, hisize, "hifilt", -83, out);
}

int32_t putc_quantization_table(const float* bin_width, const float* zero_bin_width,
                                uint8_t* buffer, int32_t capacity, int32_t& length) {
  Output out{buffer, capacity, length};
  if (int32_t ret = out.word16(kDqtMarker)) return ret;
  if (int32_t ret = out.word16(389)) return ret;
  if (int32_t ret = out.byte(2)) return ret;
  if (int32_t ret = out.word16(44)) return ret;
  for (int k = 0; k < kSubbandCount; k++) {
    uint8_t q_scale = 0, z_scale = 0;
    uint32_t q_value = 0, z_value = 0;
    if (k < 60 && bin_width[k] != 0.0f) {
      if (!float_to_scaled(bin_width[k], kScaledLimit16, q_scale, q_value)) {
        diag_printf("ERROR : putc_quantization_table : Q[%d] to high at %f\n", k, bin_width[k]);
        return -86;
      }
      if (!float_to_scaled(zero_bin_width[k], kScaledLimit16, z_scale, z_value)) {
        diag_printf("ERROR : putc_quantization_table : Z[%d] to high at %f\n", k,
                    zero_bin_width[k]);
        return -87;
      }
    }
    if (int32_t ret = out.byte(q_scale)) return ret;
    if (int32_t ret = out.word16(static_cast<uint16_t>(q_value))) return ret;
    if (int32_t ret = out.byte(z_scale)) return ret;
    if (int32_t ret = out.word16(static_cast<uint16_t>(z_value))) return ret;
  }
  return 0;
}

int32_t putc_huffman_segment(uint16_t marker, uint8_t table_id, const uint8_t* huffbits,
                             const uint8_t* huffvalues, uint8_t* buffer, int32_t capacity,
                             int32_t& length) {
  Output out{buffer, capacity, length};
  uint16_t value_count = 0;
  for (int i = 0; i < kMaxHuffbits; i++) value_count = static_cast<uint16_t>(value_count + huffbits[i]);
  if (int32_t ret = out.word16(marker)) return ret;
  if (int32_t ret = out.word16(static_cast<uint16_t>(19 + value_count))) return ret;
  if (int32_t ret = out.byte(table_id)) return ret;
  if (int32_t ret = putc_bytes(huffbits, kMaxHuffbits, buffer, capacity, length)) return ret;
  return putc_bytes(huffvalues, value_count, buffer, capacity, length);
}

int32_t putc_frame_segment(int32_t width, int32_t height, float m_shift, float r_scale,
                           uint8_t* buffer, int32_t capacity, int32_t& length) {
  Output out{buffer, capacity, length};
  if (int32_t ret = out.word16(kSofMarker)) return ret;
  if (int32_t ret = out.word16(17)) return ret;
  if (int32_t ret = out.byte(0)) return ret;
  if (int32_t ret = out.byte(255)) return ret;
  if (int32_t ret = out.word16(static_cast<uint16_t>(height))) return ret;
  if (int32_t ret = out.word16(static_cast<uint16_t>(width))) return ret;
  if (int32_t ret = put_scaled16(m_shift, out)) return ret;
  if (int32_t ret = put_scaled16(r_scale, out)) return ret;
  if (int32_t ret = out.byte(0)) return ret;
  return out.word16(0);
}

int32_t putc_block_segment(uint8_t table_id, uint8_t* buffer, int32_t capacity,
                           int32_t& length) {
  Output out{buffer, capacity, length};
  if (int32_t ret = out.word16(kSobMarker)) return ret;
  if (int32_t ret = out.word16(3)) return ret;
  return out.byte(table_id);
}

int32_t putc_comment_segment(uint16_t marker, const char* text, int32_t text_length,
                             uint8_t* buffer, int32_t capacity, int32_t& length) {
  // The 16-bit length field counts itself too.
  if (text_length < 0 || text_length > 65533) {
    diag_printf("ERROR : putc_comment_segment : comment of %d bytes does not fit a segment\n",
                text_length);
    return -34;
  }
  Output out{buffer, capacity, length};
  if (int32_t ret = out.word16(marker)) return ret;
  if (int32_t ret = out.word16(static_cast<uint16_t>(text_length + 2))) return ret;
  for (int32_t i = 0; i < text_length; i++) {
    if (int32_t ret = out.byte(static_cast<uint8_t>(text[i]))) return ret;
  }
  return 0;
}
