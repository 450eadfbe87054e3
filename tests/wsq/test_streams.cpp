// Byte layer reads and writes, the bit reader's stuffing and marker rules,
// and the bit writer's packing, stuffing and padding.
#include <gtest/gtest.h>

#include <vector>

#include "wsq/bit_stream.h"
#include "wsq/byte_stream.h"
#include "wsq/diagnostics.h"

namespace {

struct Input {
  std::vector<uint8_t> bytes;
  const uint8_t* cursor;
  const uint8_t* end;
  explicit Input(std::vector<uint8_t> data)
      : bytes(std::move(data)), cursor(bytes.data()), end(bytes.data() + bytes.size()) {}
  size_t consumed() const { return static_cast<size_t>(cursor - bytes.data()); }
};

TEST(ByteReader, ReadsBigEndianWords) {
  Input in({0x12, 0x34, 0xA1, 0xB2, 0xC3, 0xD4});
  uint16_t word16 = 0;
  uint32_t word32 = 0;
  ASSERT_EQ(getc_word16(word16, in.cursor, in.end), 0);
  ASSERT_EQ(getc_word32(word32, in.cursor, in.end), 0);
  EXPECT_EQ(word16, 0x1234);
  EXPECT_EQ(word32, 0xA1B2C3D4u);
  EXPECT_EQ(in.consumed(), 6u);
}

TEST(ByteReader, EndOfBufferFailsWithoutConsuming) {
  Input in({0x07});
  uint8_t byte = 0;
  ASSERT_EQ(getc_byte(byte, in.cursor, in.end), 0);
  EXPECT_EQ(byte, 0x07);
  CapturedDiagnostics diag;
  EXPECT_EQ(getc_byte(byte, in.cursor, in.end), -39);
  EXPECT_EQ(diag.text(), "ERROR : getc_byte : premature End Of Buffer\n");
  EXPECT_EQ(in.cursor, in.end);
}

TEST(ByteReader, ShortRunFailsAndZeroRunSucceedsAtEnd) {
  Input in({1, 2, 3});
  uint8_t out[4] = {};
  CapturedDiagnostics diag;
  EXPECT_EQ(getc_bytes(out, 4, in.cursor, in.end), -40);
  EXPECT_EQ(in.consumed(), 0u);
  uint32_t word = 0;
  EXPECT_EQ(getc_word32(word, in.cursor, in.end), -40);
  EXPECT_EQ(diag.text(), "ERROR : getc_bytes : premature End Of Buffer\n"
                         "ERROR : getc_bytes : premature End Of Buffer\n");
  ASSERT_EQ(getc_bytes(out, 3, in.cursor, in.end), 0);
  EXPECT_EQ(getc_bytes(out, 0, in.cursor, in.end), 0);
  EXPECT_EQ(in.cursor, in.end);
}

TEST(ByteWriter, AppendsBigEndianAndRefusesOverflow) {
  uint8_t buffer[10] = {};
  int32_t length = 0;
  ASSERT_EQ(putc_word16(0xFFA0, buffer, 10, length), 0);
  ASSERT_EQ(putc_word32(0x01020304, buffer, 10, length), 0);
  EXPECT_EQ(length, 6);
  EXPECT_EQ(buffer[0], 0xFF);
  EXPECT_EQ(buffer[1], 0xA0);
  EXPECT_EQ(buffer[2], 0x01);
  EXPECT_EQ(buffer[5], 0x04);

  length = 8;
  const uint8_t four[4] = {9, 9, 9, 9};
  CapturedDiagnostics diag;
  EXPECT_EQ(putc_bytes(four, 4, buffer, 10, length), -33);
  EXPECT_EQ(length, 8);
  EXPECT_EQ(buffer[8], 0);
  length = 10;
  EXPECT_EQ(putc_byte(1, buffer, 10, length), -32);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(diag.text(),
            "ERROR : putc_bytes : buffer overlow : alloc = 10, request = 12\n"
            "ERROR : putc_byte : buffer overlow : alloc = 10, request = 10\n");
}

// Reads `k` bits as the block decoder's extra-bits requests do.
uint16_t read_bits(Input& in, BitReaderState& state, int32_t& bit_count, int32_t k) {
  uint16_t bits = 0;
  uint16_t marker = 0;
  EXPECT_EQ(getc_nextbits_wsq(bits, marker, state, in.cursor, in.end, bit_count, k), 0);
  EXPECT_EQ(marker, 0);
  return bits;
}

TEST(BitReader, StuffedZeroIsDropped) {
  Input in({0xFF, 0x00, 0x5A});
  BitReaderState state;
  int32_t bit_count = 0;
  EXPECT_EQ(read_bits(in, state, bit_count, 8), 0xFF);
  EXPECT_EQ(in.consumed(), 2u);
  EXPECT_EQ(read_bits(in, state, bit_count, 4), 0x5);
  EXPECT_EQ(read_bits(in, state, bit_count, 4), 0xA);
}

TEST(BitReader, LongRequestTakesRemainingBitsFirst) {
  Input in({0xE5, 0xAB, 0xCD});
  BitReaderState state;
  int32_t bit_count = 0;
  EXPECT_EQ(read_bits(in, state, bit_count, 5), 0x1C);  // 11100
  EXPECT_EQ(bit_count, 3);
  // 101 then 10101011 11001
  EXPECT_EQ(read_bits(in, state, bit_count, 16), 0xB579);
  EXPECT_EQ(bit_count, 3);
}

TEST(BitReader, MarkerReportedOnlyToSymbolRequests) {
  BitReaderState state;
  {
    Input in({0xFF, 0xA3});
    int32_t bit_count = 0;
    uint16_t bits = 0, marker = 0;
    ASSERT_EQ(getc_nextbits_wsq(bits, marker, state, in.cursor, in.end, bit_count, 1,
                                BitRequest::symbol),
              0);
    EXPECT_EQ(marker, 0xFFA3);
    EXPECT_EQ(bits, 1);
    EXPECT_EQ(in.consumed(), 2u);
  }
  for (int32_t k : {8, 16}) {
    Input in({0xFF, 0xA3});
    int32_t bit_count = 0;
    uint16_t bits = 0, marker = 0;
    CapturedDiagnostics diag;
    EXPECT_EQ(getc_nextbits_wsq(bits, marker, state, in.cursor, in.end, bit_count, k,
                                BitRequest::symbol),
              -41);
    EXPECT_EQ(diag.text(), "ERROR: getc_nextbits_wsq : No stuffed zeros\n");
  }
  {
    // The marker comes up in the continuation of a request.
    Input in({0x80, 0xFF, 0xA1});
    int32_t bit_count = 0;
    EXPECT_EQ(read_bits(in, state, bit_count, 7), 0x40);
    uint16_t bits = 0, marker = 0;
    CapturedDiagnostics diag;
    EXPECT_EQ(getc_nextbits_wsq(bits, marker, state, in.cursor, in.end, bit_count, 4), -41);
  }
}

TEST(BitReader, EndOfDataFailsWithByteError) {
  Input in({0xFF});
  BitReaderState state;
  int32_t bit_count = 0;
  uint16_t bits = 0, marker = 0;
  CapturedDiagnostics diag;
  EXPECT_EQ(getc_nextbits_wsq(bits, marker, state, in.cursor, in.end, bit_count, 1,
                              BitRequest::symbol),
            -39);
  EXPECT_EQ(diag.text(), "ERROR : getc_byte : premature End Of Buffer\n");
}

struct Writer {
  uint8_t buffer[16] = {};
  uint8_t* position = buffer;
  int32_t free_bit = 7;
  uint8_t pending = 0;
  int32_t count = 0;
  void put(uint16_t code, int16_t size) {
    putc_code_bits(position, code, size, free_bit, pending, count);
  }
  void flush() { flush_code_bits(position, free_bit, pending, count); }
  std::vector<uint8_t> bytes() const {
    return std::vector<uint8_t>(buffer, static_cast<const uint8_t*>(position));
  }
};

TEST(BitWriter, PadsLastByteWithOnes) {
  Writer w;
  w.put(0b101, 3);
  w.put(0, 0);
  w.flush();
  EXPECT_EQ(w.bytes(), std::vector<uint8_t>({0xBF}));
  EXPECT_EQ(w.count, 1);
  w.flush();  // nothing pending
  EXPECT_EQ(w.count, 1);
}

TEST(BitWriter, StuffsAfterEveryFF) {
  Writer padded;
  padded.put(0x7F, 7);
  padded.flush();
  EXPECT_EQ(padded.bytes(), std::vector<uint8_t>({0xFF, 0x00}));
  EXPECT_EQ(padded.count, 2);

  Writer completed;
  completed.put(0x3F, 6);
  completed.put(0x3, 2);
  completed.put(0x1234, 16);
  EXPECT_EQ(completed.bytes(), std::vector<uint8_t>({0xFF, 0x00, 0x12, 0x34}));
  EXPECT_EQ(completed.count, 4);
}

TEST(BitWriter, WrittenBitsReadBack) {
  Writer w;
  const uint16_t codes[] = {0x1, 0xFF, 0x7FFF, 0x0, 0x2A5, 0xFFFF};
  const int16_t sizes[] = {1, 8, 15, 3, 10, 16};
  for (int i = 0; i < 6; i++) w.put(codes[i], sizes[i]);
  w.flush();
  Input in(w.bytes());
  BitReaderState state;
  int32_t bit_count = 0;
  for (int i = 0; i < 6; i++) EXPECT_EQ(read_bits(in, state, bit_count, sizes[i]), codes[i]);
}

}  // namespace
