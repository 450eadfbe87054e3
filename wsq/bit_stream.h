#pragma once
// Bit layer of the codec for entropy-coded block data. The reader hides the
// 0xFF 0x00 byte stuffing and reports a marker met at a symbol boundary; the
// writer packs codes most significant bit first, stuffs a 0x00 after every
// 0xFF it stores and pads the last byte with 1 bits.
#include <cstdint>
#include <cstring>

// The bytes a bit reader holds between requests: the byte whose bits are
// being handed out (bits already handed out are cleared) and the byte read
// after a 0xFF. Meaningful from the start of a block (bit count 0) to the next
// marker. Each decoder context has its own.
struct BitReaderState {
  uint8_t current_byte = 0;
  uint8_t stuffing_follower = 0;
};

// Whether a request may report a marker: only the 1-bit requests of the
// symbol decoder may; every other request fails with -41 on a marker.
enum class BitRequest { symbol, data };

// Returns the next `bits_requested` (1..16) bits right-aligned in `bits`.
// `bit_count` (0..8) is how many bits of the current byte remain unread; the
// caller sets it to 0 at the start of each block. A marker met by a 1-bit
// symbol request is stored in `marker` with bits = 1 and success.
int32_t getc_nextbits_wsq(uint16_t& bits, uint16_t& marker, BitReaderState& state,
                          const uint8_t*& cursor, const uint8_t* end, int32_t& bit_count,
                          int32_t bits_requested, BitRequest request = BitRequest::data);

// Appends the low `size` bits of `code`. The caller starts a run with
// free_bit 7, pending 0 and byte_count 0 and sizes the output so that every
// 8 bits have room for 2 bytes.
void putc_code_bits(uint8_t*& position, uint16_t code, int16_t size, int32_t& free_bit,
                    uint8_t& pending, int32_t& byte_count);

// Completes a partly filled pending byte with 1 bits and stores it.
void flush_code_bits(uint8_t*& position, int32_t& free_bit, uint8_t& pending,
                     int32_t& byte_count);

// A bit writer that takes whole codes: it collects them in a 64-bit word and
// stores 32 bits at a time (with a 0x00 stuffed after every 0xFF), giving
// exactly the bytes and byte count of putc_code_bits and flush_code_bits.
// After each put fewer than 32 bits are pending, so a put of up to 32 bits
// stores at most 8 bytes, and so does the flush.
class CodeWriter {
 public:
  explicit CodeWriter(uint8_t* output) : position_(output) {}

  // Appends the low `size` (0..32) bits of `code`.
  void put(uint32_t code, int32_t size) {
    bits_ = (bits_ << size) | (code & ((uint64_t{1} << size) - 1));
    pending_ += size;
    if (pending_ >= 32) {
      pending_ -= 32;
      store_word(static_cast<uint32_t>(bits_ >> pending_));
    }
  }

  // Stores the pending bits, the last byte completed with 1 bits.
  void flush() {
    while (pending_ >= 8) {
      pending_ -= 8;
      store(static_cast<uint8_t>(bits_ >> pending_));
    }
    if (pending_ == 0) return;
    const int32_t fill = 8 - pending_;
    store(static_cast<uint8_t>((bits_ << fill) | ((1u << fill) - 1)));
    pending_ = 0;
  }

  // Bytes stored so far, stuffing bytes included.
  int32_t byte_count() const { return byte_count_; }

 private:
  // Four bytes, most significant first; a word without a 0xFF byte (the
  // usual case) needs no stuffing and is stored in one go.
  void store_word(uint32_t word) {
    const uint32_t inverted = ~word;
    const bool has_ff = ((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0;
    if (has_ff) {
      for (int32_t shift = 24; shift >= 0; shift -= 8) store(static_cast<uint8_t>(word >> shift));
      return;
    }
    const uint8_t bytes[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                              static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
    std::memcpy(position_, bytes, sizeof bytes);
    position_ += 4;
    byte_count_ += 4;
  }

  void store(uint8_t byte) {
    *position_++ = byte;
    if (byte == 0xFF) {
      *position_++ = 0x00;
      ++byte_count_;
    }
    ++byte_count_;
  }

  uint8_t* position_;
  uint64_t bits_ = 0;
  int32_t pending_ = 0;
  int32_t byte_count_ = 0;
};
