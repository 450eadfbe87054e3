// Canonical code construction, decode tables, symbol decoding and the block
// data decoder, on hand-built codes and block data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wsq/bit_stream.h"
#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/huffman_codes.h"
#include "wsq/huffman_decode.h"
#include "wsq/huffman_decode_blocks.h"
#include "wsq/trees.h"
#include "wsq/worker_pool.h"

namespace {

std::vector<HuffCodeEntry> canonical_codes(const uint8_t (&counts)[16], int32_t& n) {
  std::vector<HuffCodeEntry> list;
  EXPECT_EQ(build_huffsizes(list, n, counts, kMaxHuffcounts), 0);
  assign_huffman_codes(list);
  return list;
}

TEST(CanonicalCodes, ConsecutiveWithinLengthShiftedBetween) {
  const uint8_t counts[16] = {0, 1, 2, 0, 3};
  int32_t n = 0;
  const std::vector<HuffCodeEntry> list = canonical_codes(counts, n);
  ASSERT_EQ(n, 6);
  ASSERT_EQ(list.size(), 257u);
  const int16_t sizes[] = {2, 3, 3, 5, 5, 5};
  const uint16_t codes[] = {0b00, 0b010, 0b011, 0b10000, 0b10001, 0b10010};
  for (int k = 0; k < 6; k++) {
    EXPECT_EQ(list[k].size, sizes[k]) << k;
    EXPECT_EQ(list[k].code, codes[k]) << k;
  }
  EXPECT_EQ(list[6].size, 0);
  DecodeTables tables;
  build_decode_tables(list, tables, counts);
  EXPECT_EQ(tables.maxcode[1], -1);
  EXPECT_EQ(tables.maxcode[2], 0);
  EXPECT_EQ(tables.maxcode[3], 3);
  EXPECT_EQ(tables.mincode[3], 2);
  EXPECT_EQ(tables.valptr[3], 1);
  EXPECT_EQ(tables.maxcode[4], -1);
  EXPECT_EQ(tables.mincode[5], 16);
  EXPECT_EQ(tables.valptr[5], 3);
  EXPECT_EQ(check_all_ones_codes(list, n), 0);
}

TEST(CanonicalCodes, AllOnesCodeIsReported) {
  const uint8_t counts[16] = {2};
  int32_t n = 0;
  const std::vector<HuffCodeEntry> list = canonical_codes(counts, n);
  EXPECT_EQ(list[1].code, 1);
  CapturedDiagnostics diag;
  EXPECT_EQ(check_all_ones_codes(list, n), -1);
  EXPECT_EQ(diag.text(),
            "WARNING: A code in the hufftable contains an all 1's code.\n"
            "         This image may still be decodable.\n"
            "         It is not compliant with the WSQ specification.\n");
}

TEST(CanonicalCodes, EmptyAndOversizedCounts) {
  const uint8_t none[16] = {};
  int32_t n = -1;
  const std::vector<HuffCodeEntry> list = canonical_codes(none, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(list[0].size, 0);
  uint8_t too_many[16] = {};
  too_many[15] = 255;
  too_many[14] = 2;
  std::vector<HuffCodeEntry> refused;
  CapturedDiagnostics diag;
  EXPECT_EQ(build_huffsizes(refused, n, too_many, kMaxHuffcounts), -2);
}

TEST(CanonicalCodes, SymbolIndexedTableForTheEncoder) {
  const uint8_t counts[16] = {0, 1, 2};
  const uint8_t values[3] = {200, 7, 100};
  int32_t n = 0;
  const std::vector<HuffCodeEntry> list = canonical_codes(counts, n);
  std::vector<HuffCodeEntry> table;
  ASSERT_EQ(build_huffcode_table(table, list, n, values, kMaxHuffcounts), 0);
  ASSERT_EQ(table.size(), 257u);
  EXPECT_EQ(table[200].size, 2);
  EXPECT_EQ(table[200].code, 0b00);
  EXPECT_EQ(table[7].code, 0b010);
  EXPECT_EQ(table[100].code, 0b011);
  EXPECT_EQ(table[0].size, 0);
}

// Builds block data with the codes of a table: symbols, extra bits, padding.
class BlockData {
 public:
  BlockData(const uint8_t (&counts)[16], std::vector<uint8_t> values) {
    std::copy(std::begin(counts), std::end(counts), huffbits_);
    values_ = std::move(values);
    values_.resize(kHuffvaluesSize, 0);
    std::vector<HuffCodeEntry> list = canonical_codes(counts, n_);
    EXPECT_EQ(build_huffcode_table(code_of_, list, n_, values_.data(), kMaxHuffcounts), 0);
  }
  BlockData& symbol(uint8_t value) {
    EXPECT_NE(code_of_[value].size, 0) << int(value);
    return bits(code_of_[value].code, code_of_[value].size);
  }
  BlockData& bits(uint16_t value, int16_t size) {
    putc_code_bits(position_, value, size, free_bit_, pending_, count_);
    return *this;
  }
  // Appends DHT segment for table `id` to `out`.
  void put_table(std::vector<uint8_t>& out, uint8_t id) const {
    uint8_t buffer[400];
    int32_t length = 0;
    EXPECT_EQ(putc_huffman_segment(kDhtMarker, id, huffbits_, values_.data(), buffer, 400, length),
              0);
    out.insert(out.end(), buffer, buffer + length);
  }
  // Flushes and appends an SOB for table `id` and the block's bytes to `out`.
  void put_block(std::vector<uint8_t>& out, uint8_t id) {
    flush_code_bits(position_, free_bit_, pending_, count_);
    uint8_t header[5];
    int32_t length = 0;
    EXPECT_EQ(putc_block_segment(id, header, 5, length), 0);
    out.insert(out.end(), header, header + length);
    out.insert(out.end(), data_, position_);
    position_ = data_;
    count_ = 0;
  }

 private:
  uint8_t huffbits_[16] = {};
  std::vector<uint8_t> values_;
  int32_t n_ = 0;
  std::vector<HuffCodeEntry> code_of_;
  uint8_t data_[256] = {};
  uint8_t* position_ = data_;
  int32_t free_bit_ = 7;
  uint8_t pending_ = 0;
  int32_t count_ = 0;
};

// Eleven 4-bit codes (0000 to 1010), none of them all ones.
constexpr uint8_t kFourBitCounts[16] = {0, 0, 0, 11};
const std::vector<uint8_t> kFourBitValues = {180, 101, 102, 103, 104, 105, 106, 3, 107, 254, 0};

void put_eoi(std::vector<uint8_t>& out) {
  out.push_back(0xFF);
  out.push_back(0xA1);
}

struct Decoded {
  int32_t ret = 0;
  std::vector<int16_t> coefficients;
  size_t consumed = 0;
  std::string messages;
};

Decoded decode(const std::vector<uint8_t>& stream, int32_t capacity = 64,
               HuffmanTableSet* huffman_in = nullptr) {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet local;
  HuffmanTableSet& huffman = huffman_in ? *huffman_in : local;
  BitReaderState state;
  Decoded result;
  result.coefficients.assign(static_cast<size_t>(capacity), 0x5555);
  const uint8_t* cursor = stream.data();
  CapturedDiagnostics diag;
  result.ret = huffman_decode_data_mem(result.coefficients.data(), capacity, transform, quant,
                                       huffman, state, cursor, stream.data() + stream.size());
  result.consumed = static_cast<size_t>(cursor - stream.data());
  result.messages = diag.text();
  return result;
}

std::vector<int16_t> head(const Decoded& d, size_t n) {
  return {d.coefficients.begin(), d.coefficients.begin() + n};
}

TEST(BlockDecoder, EverySymbolKind) {
  BlockData block(kFourBitCounts, kFourBitValues);
  block.symbol(180).symbol(107).symbol(254);
  block.symbol(101).bits(200, 8).symbol(102).bits(7, 8);
  block.symbol(103).bits(40000, 16).symbol(104).bits(300, 16);
  block.symbol(3).symbol(105).bits(0, 8).symbol(105).bits(2, 8).symbol(106).bits(1, 16);
  block.symbol(107);
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  put_eoi(stream);
  stream.push_back(0x99);  // never read
  const Decoded d = decode(stream);
  ASSERT_EQ(d.ret, 0) << d.messages;
  EXPECT_EQ(d.consumed, stream.size() - 1);
  const std::vector<int16_t> expected = {
      0, -73, 74, 200, -7, static_cast<int16_t>(40000), -300, 0, 0, 0, 0, 0, 0, -73};
  EXPECT_EQ(head(d, 14), expected);
  // Past the scratch the table path may leave, nothing is touched.
  for (size_t i = 14 + kLookupScratch; i < d.coefficients.size(); ++i) {
    EXPECT_EQ(d.coefficients[i], 0x5555) << i;
  }
  EXPECT_EQ(d.messages, "");
}

TEST(BlockDecoder, SeveralBlocksAndTablesBetweenThem) {
  BlockData first(kFourBitCounts, kFourBitValues);
  const uint8_t other_counts[16] = {0, 2};
  BlockData second(other_counts, {254, 107});  // 00 -> +74, 01 -> -73
  std::vector<uint8_t> stream;
  first.put_table(stream, 0);
  first.symbol(254).symbol(254);  // ends on a byte boundary
  first.put_block(stream, 0);
  second.put_table(stream, 1);
  second.symbol(107);
  second.put_block(stream, 1);
  // A later DHT replaces slot 0 for the blocks after it.
  second.put_table(stream, 0);
  second.symbol(254).symbol(254).symbol(107);
  second.put_block(stream, 0);
  put_eoi(stream);
  const Decoded d = decode(stream);
  ASSERT_EQ(d.ret, 0) << d.messages;
  EXPECT_EQ(d.consumed, stream.size());
  EXPECT_EQ(head(d, 6), std::vector<int16_t>({74, 74, -73, 74, 74, -73}));
}

TEST(BlockDecoder, FillBitsBeforeMarkerAreSkipped) {
  // The last code's final 1 bit and seven fill bits make a 0xFF, which is
  // stuffed.
  const uint8_t counts[16] = {1, 0, 2};
  BlockData block(counts, {180, 181, 182});  // 0 -> 0, 100 -> +1, 101 -> +2
  for (int i = 0; i < 6; i++) block.symbol(180);
  block.symbol(182);
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  ASSERT_EQ(std::vector<uint8_t>(stream.end() - 3, stream.end()),
            std::vector<uint8_t>({0x02, 0xFF, 0x00}));
  put_eoi(stream);
  const Decoded d = decode(stream, 8);
  ASSERT_EQ(d.ret, 0) << d.messages;
  EXPECT_EQ(head(d, 8), std::vector<int16_t>({0, 0, 0, 0, 0, 0, 2, 0x5555}));
}

TEST(BlockDecoder, AllOnesCodeWarnsAndDecodes) {
  const uint8_t counts[16] = {2};
  BlockData block(counts, {180, 181});
  block.symbol(181).symbol(180).symbol(181).bits(0, 5);
  std::vector<uint8_t> stream;
  block.put_table(stream, 2);
  block.put_block(stream, 2);
  put_eoi(stream);
  const Decoded d = decode(stream);
  ASSERT_EQ(d.ret, 0) << d.messages;
  EXPECT_EQ(head(d, 3), std::vector<int16_t>({1, 0, 1}));
  EXPECT_NE(d.messages.find("WARNING: A code in the hufftable"), std::string::npos);
  EXPECT_NE(d.messages.find("the WSQ specification.\n         hufftable_id = 2\n"),
            std::string::npos);
}

TEST(BlockDecoder, InvalidSymbolFails) {
  BlockData block(kFourBitCounts, kFourBitValues);
  block.symbol(0);
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  put_eoi(stream);
  const Decoded d = decode(stream);
  EXPECT_EQ(d.ret, -52);
  EXPECT_EQ(d.messages, "ERROR: huffman_decode_data_mem : Invalid code 0 (0).\n");
}

TEST(BlockDecoder, UndefinedOrEmptyTableFails) {
  BlockData block(kFourBitCounts, kFourBitValues);
  std::vector<uint8_t> undefined;
  block.put_table(undefined, 0);
  block.symbol(180);
  block.put_block(undefined, 1);
  put_eoi(undefined);
  HuffmanTableSet earlier;
  earlier.slots[1].defined = 0;
  const Decoded d = decode(undefined, 64, &earlier);
  EXPECT_EQ(d.ret, -51);
  EXPECT_EQ(d.messages, "ERROR : huffman_decode_data_mem : huffman table {1} undefined.\n");

  std::vector<uint8_t> out_of_range;
  block.put_table(out_of_range, 0);
  block.symbol(180);
  block.put_block(out_of_range, 9);
  EXPECT_EQ(decode(out_of_range).ret, -51);

  const uint8_t no_counts[16] = {};
  std::vector<uint8_t> empty = {0xFF, 0xA6, 0, 19, 3};
  empty.insert(empty.end(), no_counts, no_counts + 16);
  empty.insert(empty.end(), {0xFF, 0xA3, 0, 3, 3, 0x00, 0xFF, 0xA1});
  const Decoded e = decode(empty);
  EXPECT_NE(e.ret, 0);
  EXPECT_NE(e.messages, "");
}

TEST(BlockDecoder, TooManyCoefficientsFail) {
  BlockData block(kFourBitCounts, kFourBitValues);
  block.symbol(180).symbol(106).bits(5000, 16);
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  put_eoi(stream);
  const Decoded d = decode(stream, 100);
  EXPECT_NE(d.ret, 0);
  EXPECT_NE(d.messages, "");
  EXPECT_EQ(decode(stream, 5001).ret, 0);
}

TEST(BlockDecoder, NoCodeWithinSixteenBitsFails) {
  const uint8_t counts[16] = {1};
  BlockData block(counts, {180});
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  stream.insert(stream.end(), {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xA1});
  const Decoded d = decode(stream);
  EXPECT_NE(d.ret, 0);
  EXPECT_NE(d.messages, "");
}

TEST(BlockDecoder, MarkersAndTruncation) {
  BlockData block(kFourBitCounts, kFourBitValues);
  std::vector<uint8_t> prefix;
  block.put_table(prefix, 0);

  // A marker inside a symbol's extra bits.
  std::vector<uint8_t> in_extra = prefix;
  block.symbol(103).symbol(180);  // one whole byte
  block.put_block(in_extra, 0);
  in_extra.insert(in_extra.end(), {0xFF, 0xA1});
  EXPECT_EQ(decode(in_extra).ret, -41);

  // Data running into the end of the buffer without EOI.
  std::vector<uint8_t> truncated = prefix;
  block.symbol(180).symbol(180).symbol(180);
  block.put_block(truncated, 0);
  const Decoded t = decode(truncated);
  EXPECT_EQ(t.ret, -39);
  EXPECT_EQ(t.messages, "ERROR : getc_byte : premature End Of Buffer\n");

  // EOI before any block, and a marker outside the accepted sets.
  EXPECT_EQ(decode({0xFF, 0xA1}).ret, -90);
  std::vector<uint8_t> odd_marker = prefix;
  block.symbol(180);
  block.put_block(odd_marker, 0);
  odd_marker.insert(odd_marker.end(), {0xFF, 0xA7, 0, 2});
  EXPECT_EQ(decode(odd_marker).ret, -93);
}

}  // namespace

// The image's block decoder sets every coefficient, whatever the array held
// before: those past the block data to 0. One thread decodes the blocks in
// turn; two try them side by side first and here fall back (one block).
TEST(BlockDecoder, EveryCoefficientIsSetWhateverTheArrayHeld) {
  BlockData block(kFourBitCounts, kFourBitValues);
  block.symbol(107).symbol(3).symbol(254);
  std::vector<uint8_t> stream;
  block.put_table(stream, 0);
  block.put_block(stream, 0);
  put_eoi(stream);
  WsqTrees trees;
  build_wsq_trees(trees, 64, 64);
  for (int32_t threads : {1, 2}) {
    TransformTable transform;
    QuantTable quant;
    HuffmanTableSet huffman;
    BitReaderState state;
    WorkerPool pool(threads);
    std::vector<int16_t> coefficients(64 * 64, 0x5555);
    const uint8_t* cursor = stream.data();
    CapturedDiagnostics diag;
    ASSERT_EQ(huffman_decode_blocks(coefficients.data(), 64 * 64, transform, quant, huffman, state,
                                    cursor, stream.data() + stream.size(), trees, pool),
              0)
        << diag.text();
    std::vector<int16_t> expected(64 * 64, 0);
    expected[0] = -73;
    expected[4] = 74;
    EXPECT_EQ(coefficients, expected) << threads;
  }
}
