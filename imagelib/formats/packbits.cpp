// PackBits (ByteRun1) row decoding.
#include "imagelib/formats/packbits.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kNoOp = 128;

void skip_no_ops(ByteReader& input) {
  while (!input.at_end() && *input.current() == kNoOp) input.skip(1);
}

}  // namespace

PackBitsResult decode_packbits_row(ByteReader& input, uint8_t* row, size_t length, LiteralOverrun overrun) {
  size_t filled = 0;
  while (filled < length) {
    uint8_t control = 0;
    if (!input.u8(control)) return PackBitsResult::InputShort;
    const size_t left = length - filled;
    if (control == kNoOp) continue;
    if (control < 128) {
      const size_t count = size_t{control} + 1;
      if (count > left && overrun == LiteralOverrun::Refuse) return PackBitsResult::LiteralOverrun;
      const auto literal = input.view(count);
      if (literal.empty()) return PackBitsResult::InputShort;
      const size_t kept = std::min(count, left);
      std::memcpy(row + filled, literal.data(), kept);
      filled += kept;
    } else {
      const size_t count = 257 - size_t{control};  // 1 - n for n = control - 256, -127 to -1
      uint8_t value = 0;
      if (!input.u8(value)) return PackBitsResult::InputShort;
      const size_t kept = std::min(count, left);
      std::memset(row + filled, value, kept);
      filled += kept;
    }
  }
  // Writers may end a row with no-op bytes; they belong to this row.
  skip_no_ops(input);
  return PackBitsResult::Filled;
}

uint64_t packbits_min_row_bytes(uint64_t length) {
  // The longest run, 129 bytes, costs two input bytes.
  return 2 * ((length + 128) / 129);
}
