#include "wsq/bit_stream.h"

#include "wsq/byte_stream.h"
#include "wsq/diagnostics.h"

namespace {

constexpr uint8_t kMask[9] = {0x00, 0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF};

// Loads the next byte of block data, dropping the 0x00 stuffed after a 0xFF.
// Sets `marker_found` when a 0xFF is followed by anything else.
int32_t fetch_byte(BitReaderState& state, const uint8_t*& cursor, const uint8_t* end,
                   bool& marker_found) {
  marker_found = false;
  if (int32_t ret = getc_byte(state.current_byte, cursor, end)) return ret;
  if (state.current_byte != 0xFF) return 0;
  if (int32_t ret = getc_byte(state.stuffing_follower, cursor, end)) return ret;
  marker_found = state.stuffing_follower != 0;
  return 0;
}

// Stores one finished byte and the stuffed 0x00 after a 0xFF.
void store_byte(uint8_t*& position, uint8_t value, int32_t& byte_count) {
  *position++ = value;
  if (value == 0xFF) {
    *position++ = 0x00;
    byte_count++;
  }
  byte_count++;
}

}  // namespace

int32_t getc_nextbits_wsq(uint16_t& bits, uint16_t& marker, BitReaderState& state,
                          const uint8_t*& cursor, const uint8_t* end, int32_t& bit_count,
                          int32_t bits_requested, BitRequest request) {
  if (bit_count == 0) {
    bool marker_found = false;
    if (int32_t ret = fetch_byte(state, cursor, end, marker_found)) return ret;
    bit_count = 8;
    if (marker_found) {
      if (request == BitRequest::symbol && bits_requested == 1) {
        marker = static_cast<uint16_t>(0xFF00 | state.stuffing_follower);
        bits = 1;
        return 0;
      }
      diag_write("ERROR: getc_nextbits_wsq : No stuffed zeros\n");
      return -41;
    }
  }
  if (bits_requested <= bit_count) {
    bits = (state.current_byte >> (bit_count - bits_requested)) & kMask[bits_requested];
    bit_count -= bits_requested;
    state.current_byte &= kMask[bit_count];
    return 0;
  }
  const int32_t needed = bits_requested - bit_count;
  const uint16_t high = static_cast<uint16_t>(state.current_byte << needed);
  bit_count = 0;
  uint16_t low = 0;
  if (int32_t ret = getc_nextbits_wsq(low, marker, state, cursor, end, bit_count, needed,
                                      BitRequest::data)) {
    return ret;
  }
  bits = high | low;
  return 0;
}

void putc_code_bits(uint8_t*& position, uint16_t code, int16_t size, int32_t& free_bit,
                    uint8_t& pending, int32_t& byte_count) {
  for (int n = size - 1; n >= 0; n--) {
    pending = static_cast<uint8_t>((pending << 1) | ((code >> n) & 1));
    if (--free_bit < 0) {
      store_byte(position, pending, byte_count);
      free_bit = 7;
      pending = 0;
    }
  }
}

void flush_code_bits(uint8_t*& position, int32_t& free_bit, uint8_t& pending,
                     int32_t& byte_count) {
  if (free_bit == 7) return;
  for (int n = 0; n <= free_bit; n++) pending = static_cast<uint8_t>((pending << 1) | 1);
  store_byte(position, pending, byte_count);
  free_bit = 7;
  pending = 0;
}
