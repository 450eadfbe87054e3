#pragma once
// Bit layer of the codec for entropy-coded block data. The reader hides the
// 0xFF 0x00 byte stuffing and reports a marker met at a symbol boundary; the
// writer packs codes most significant bit first, stuffs a 0x00 after every
// 0xFF it stores and pads the last byte with 1 bits.
#include <cstdint>

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
// stores each finished byte (with its stuffed 0x00), giving exactly the bytes
// and byte count of putc_code_bits and flush_code_bits. After each put fewer
// than 8 bits are pending, so a code of up to 32 bits stores at most 8 bytes.
class CodeWriter {
 public:
  explicit CodeWriter(uint8_t* output) : position_(output) {}

  // Appends the low `size` (0..32) bits of `code`.
  void put(uint32_t code, int32_t size) {
    bits_ = (bits_ << size) | (code & ((uint64_t{1} << size) - 1));
    pending_ += size;
    while (pending_ >= 8) {
      pending_ -= 8;
      store(static_cast<uint8_t>(bits_ >> pending_));
    }
  }

  // Completes a partly filled byte with 1 bits and stores it.
  void flush() {
    if (pending_ == 0) return;
    const int32_t fill = 8 - pending_;
    store(static_cast<uint8_t>((bits_ << fill) | ((1u << fill) - 1)));
    pending_ = 0;
  }

  // Bytes stored so far, stuffing bytes included.
  int32_t byte_count() const { return byte_count_; }

 private:
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
