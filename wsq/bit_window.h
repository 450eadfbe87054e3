#pragma once
// A 64-bit window over entropy-coded block data for the table-driven
// decoders. It loads whole bytes ahead of the bit reader, dropping the 0x00
// stuffed after each 0xFF, and stops in front of a marker or the end of the
// buffer, so it never consumes anything the bit-by-bit reader would treat
// differently. `store` hands the unread bits back as the bit reader's own
// state (cursor, current byte, bit count), exactly as if every bit taken
// from the window had been read one request at a time.
#include <cstdint>

#include "wsq/bit_stream.h"

class BitWindow {
 public:
  BitWindow(const BitReaderState& state, const uint8_t* cursor, const uint8_t* end,
            int32_t bit_count)
      : position_(cursor), end_(end), count_(bit_count) {
    bits_ = state.current_byte & mask(bit_count);
    refill();
  }

  // Loads bytes until more than 56 bits are held or a marker or the end of
  // the data is next.
  void refill() {
    while (count_ <= 56 && !stopped_) {
      if (position_ >= end_) {
        stopped_ = true;
        break;
      }
      const uint8_t byte = *position_;
      if (byte == 0xFF) {
        if (end_ - position_ < 2 || position_[1] != 0x00) {
          stopped_ = true;
          break;
        }
        position_ += 2;
      } else {
        position_ += 1;
      }
      bits_ = (bits_ << 8) | byte;
      count_ += 8;
    }
  }

  int32_t available() const { return count_; }

  // The next n (1..32) bits, right-aligned; bits past the held ones read 0.
  uint32_t peek(int32_t n) const {
    const uint64_t value = n <= count_ ? bits_ >> (count_ - n) : bits_ << (n - count_);
    return static_cast<uint32_t>(value & mask(n));
  }

  // Drops n bits; the caller has checked that n are held.
  void skip(int32_t n) { count_ -= n; }

  // Gives the unread bits back to the bit reader.
  void store(BitReaderState& state, const uint8_t*& cursor, int32_t& bit_count) const {
    const int32_t whole = count_ / 8;
    const int32_t part = count_ % 8;
    const uint8_t* back = position_;
    for (int32_t i = 0; i < whole; ++i) {
      const uint8_t byte = static_cast<uint8_t>(bits_ >> (8 * i));
      back -= byte == 0xFF ? 2 : 1;
    }
    cursor = back;
    bit_count = part;
    if (part > 0) state.current_byte = static_cast<uint8_t>((bits_ >> (8 * whole)) & mask(part));
  }

 private:
  static uint64_t mask(int32_t n) { return (uint64_t{1} << n) - 1; }

  const uint8_t* position_;
  const uint8_t* end_;
  uint64_t bits_ = 0;
  int32_t count_ = 0;
  bool stopped_ = false;
};
