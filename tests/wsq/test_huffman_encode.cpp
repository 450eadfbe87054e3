#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <vector>

#include "wsq/diagnostics.h"
#include "wsq/huffman_encode.h"

namespace {

// Non-zero counts of a block, reserved entry included.
std::map<int, int> symbol_counts(const std::vector<int16_t>& block) {
  std::vector<int32_t> counts;
  EXPECT_EQ(count_block(counts, 256, block.data(), static_cast<int32_t>(block.size()), 74, 100), 0);
  std::map<int, int> nonzero;
  for (int i = 0; i < static_cast<int>(counts.size()); ++i) {
    if (counts[i] != 0) nonzero[i] = counts[i];
  }
  return nonzero;
}

// A table that codes every symbol as its own value in 8 bits, so compressed
// bytes can be read back directly.
std::vector<HuffCodeEntry> identity_table() {
  std::vector<HuffCodeEntry> table(257);
  for (int s = 0; s < 256; ++s) table[s] = {8, static_cast<uint16_t>(s)};
  return table;
}

std::vector<uint8_t> compress_with_identity(const std::vector<int16_t>& block) {
  std::vector<uint8_t> out(1000 + kCompressBlockSlack, 0xEE);
  int32_t bytes = -1;
  EXPECT_EQ(compress_block(out.data(), 1000, bytes, block.data(),
                           static_cast<int32_t>(block.size()), 74, 100, identity_table()),
            0);
  out.resize(bytes);
  return out;
}

TEST(CountBlock, MixedBlock) {
  const std::vector<int16_t> block{0, 0, 0, 5, -1, 0, 200, -300};
  const std::map<int, int> expected{{3, 1},   {185, 1}, {179, 1}, {1, 1},
                                    {101, 1}, {104, 1}, {256, 1}};
  EXPECT_EQ(symbol_counts(block), expected);
  EXPECT_EQ(compress_with_identity(block),
            (std::vector<uint8_t>{3, 185, 179, 1, 101, 200, 104, 0x01, 0x2C}));
}

TEST(CountBlock, ZeroRuns) {
  EXPECT_EQ(symbol_counts(std::vector<int16_t>(100, 0)), (std::map<int, int>{{100, 1}, {256, 1}}));
  EXPECT_EQ(compress_with_identity(std::vector<int16_t>(101, 0)), (std::vector<uint8_t>{105, 101}));
  // 255 in the extra bits is followed by its stuffed zero byte.
  EXPECT_EQ(compress_with_identity(std::vector<int16_t>(255, 0)),
            (std::vector<uint8_t>{105, 0xFF, 0x00}));
  EXPECT_EQ(compress_with_identity(std::vector<int16_t>(256, 0)),
            (std::vector<uint8_t>{106, 0x01, 0x00}));
  EXPECT_EQ(compress_with_identity(std::vector<int16_t>(70000, 0)),
            (std::vector<uint8_t>{106, 0xFF, 0x00, 0xFF, 0x00, 106, 0x11, 0x71}));
}

// Zero runs of every length up to 40 between non-zero coefficients, at
// every offset into a block, and runs that end exactly at the 65535 limit:
// each comes out as one run symbol of its length (or a full run and the
// rest), never split or merged with its neighbours.
TEST(CountBlock, ZeroRunsEndAtTheirNonZeroNeighbour) {
  for (int32_t lead = 0; lead < 9; ++lead) {
    for (int32_t zeros = 1; zeros <= 40; ++zeros) {
      std::vector<int16_t> block(static_cast<size_t>(lead), 1);
      block.resize(block.size() + zeros, 0);
      block.push_back(2);
      std::vector<uint8_t> expected(static_cast<size_t>(lead), 181);
      expected.push_back(static_cast<uint8_t>(zeros));
      expected.push_back(182);
      EXPECT_EQ(compress_with_identity(block), expected) << lead << " " << zeros;
    }
  }
  std::vector<int16_t> limit(65535 + 65535 + 3, 0);
  limit[0] = 1;
  limit[65536] = 2;
  EXPECT_EQ(compress_with_identity(limit),
            (std::vector<uint8_t>{181, 106, 0xFF, 0x00, 0xFF, 0x00, 182, 106, 0xFF, 0x00, 0xFF,
                                  0x00, 1}));
}

TEST(CountBlock, DirectAndEscapedCoefficients) {
  EXPECT_EQ(compress_with_identity({74}), (std::vector<uint8_t>{254}));
  EXPECT_EQ(compress_with_identity({-73}), (std::vector<uint8_t>{107}));
  EXPECT_EQ(compress_with_identity({-74}), (std::vector<uint8_t>{102, 74}));
  EXPECT_EQ(compress_with_identity({75}), (std::vector<uint8_t>{101, 75}));
  EXPECT_EQ(compress_with_identity({-32768}), (std::vector<uint8_t>{104, 0x80, 0x00}));
}

TEST(CompressBlock, TrailingRunThenFlush) {
  // Codes: coefficient 1 -> "0", a run of three zeros -> "10".
  std::vector<HuffCodeEntry> table(257);
  table[181] = {1, 0};  // coefficient 1
  table[3] = {2, 2};    // run of three zeros
  const std::vector<int16_t> block{1, 0, 0, 0};
  std::vector<uint8_t> out(16 + kCompressBlockSlack, 0);
  int32_t bytes = 0;
  ASSERT_EQ(compress_block(out.data(), 16, bytes, block.data(), 4, 74, 100, table), 0);
  ASSERT_EQ(bytes, 1);
  EXPECT_EQ(out[0], 0b01011111);  // 0, 10, then five fill bits
}

TEST(CompressBlock, RefusesABlockLargerThanItsBuffer) {
  const std::vector<int16_t> block(40, 300);  // 3 bytes each with the identity codes
  std::vector<uint8_t> out(120 + kCompressBlockSlack, 0);
  int32_t bytes = -1;
  CapturedDiagnostics captured;
  EXPECT_EQ(compress_block(out.data(), 100, bytes, block.data(), 40, 74, 100, identity_table()),
            -49);
  EXPECT_EQ(bytes, -1);
  EXPECT_NE(captured.text().find("ERROR : compress_block"), std::string::npos);
  EXPECT_EQ(compress_block(out.data(), 120, bytes, block.data(), 40, 74, 100, identity_table()), 0);
  EXPECT_EQ(bytes, 120);
}

TEST(FindLeastTwo, HighestIndexAmongEquals) {
  std::vector<int32_t> counts(257, 0);
  int32_t a = 0, b = 0;
  find_least_two(a, b, counts, 256);
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, -1);
  counts[5] = 3;
  find_least_two(a, b, counts, 256);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, -1);
  counts[2] = 2;
  counts[9] = 2;
  counts[256] = 1;
  find_least_two(a, b, counts, 256);
  EXPECT_EQ(a, 256);
  EXPECT_EQ(b, 9);
}

TEST(GenerateBlockTable, SmallAlphabetLeavesTheAllOnesCodeToTheReservedPoint) {
  // Counts {1: 10, 2: 10, 3: 1} and the reserved point.
  std::vector<int32_t> counts(257, 0);
  counts[1] = 10;
  counts[2] = 10;
  counts[3] = 1;
  counts[256] = 1;
  std::vector<int32_t> codesize;
  ASSERT_EQ(find_huff_sizes(codesize, counts, 256), 0);
  EXPECT_EQ(codesize[1], 1);
  EXPECT_EQ(codesize[2], 2);
  EXPECT_EQ(codesize[3], 3);
  EXPECT_EQ(codesize[256], 3);
  std::vector<uint8_t> huffbits;
  bool adjust = true;
  ASSERT_EQ(find_num_huff_sizes(huffbits, adjust, codesize, 256), 0);
  EXPECT_FALSE(adjust);
  EXPECT_EQ(std::vector<uint8_t>(huffbits.begin(), huffbits.begin() + 4),
            (std::vector<uint8_t>{1, 1, 1, 0}));
  std::vector<uint8_t> values;
  ASSERT_EQ(sort_code_sizes(values, codesize, 256), 0);
  EXPECT_EQ(std::vector<uint8_t>(values.begin(), values.begin() + 4),
            (std::vector<uint8_t>{1, 2, 3, 0}));
}

TEST(GenerateBlockTable, CodesOfARealBlock) {
  // Symbols: 181 (coefficient 1) x10, 182 (coefficient 2) x10, 183 x1.
  std::vector<int16_t> block;
  for (int i = 0; i < 10; ++i) block.push_back(1);
  for (int i = 0; i < 10; ++i) block.push_back(2);
  block.push_back(3);
  const int32_t lengths[1] = {static_cast<int32_t>(block.size())};
  std::vector<HuffCodeEntry> table;
  std::vector<uint8_t> huffbits, huffvalues;
  ASSERT_EQ(generate_block_table(table, huffbits, huffvalues, block.data(), lengths, 1), 0);
  EXPECT_EQ(table[181].size, 1);
  EXPECT_EQ(table[181].code, 0b0);
  EXPECT_EQ(table[182].size, 2);
  EXPECT_EQ(table[182].code, 0b10);
  EXPECT_EQ(table[183].size, 3);
  EXPECT_EQ(table[183].code, 0b110);
  EXPECT_EQ(huffvalues[0], 181);
  EXPECT_EQ(huffvalues[2], 183);
}

TEST(GenerateBlockTable, TwoBlocksShareOneTable) {
  const std::vector<int16_t> blocks{5, 5, 5, -9, -9, 0, 0};
  const int32_t lengths[2] = {3, 4};
  std::vector<HuffCodeEntry> table;
  std::vector<uint8_t> huffbits, huffvalues;
  ASSERT_EQ(generate_block_table(table, huffbits, huffvalues, blocks.data(), lengths, 2), 0);
  EXPECT_GT(table[185].size, 0);  // 5
  EXPECT_GT(table[171].size, 0);  // -9
  EXPECT_GT(table[2].size, 0);    // run of two zeros
  EXPECT_EQ(std::accumulate(huffbits.begin(), huffbits.begin() + 16, 0), 3);
}

TEST(GenerateBlockTable, EmptyBlocksStillGetOneCode) {
  const int32_t lengths[2] = {0, 0};
  std::vector<HuffCodeEntry> table;
  std::vector<uint8_t> huffbits, huffvalues;
  ASSERT_EQ(generate_block_table(table, huffbits, huffvalues, nullptr, lengths, 2), 0);
  EXPECT_EQ(huffbits[0], 1);
  EXPECT_EQ(std::accumulate(huffbits.begin(), huffbits.end(), 0), 1);
  EXPECT_EQ(table[1].size, 1);
  EXPECT_EQ(table[1].code, 0);
  std::vector<uint8_t> out(kCompressBlockSlack);
  int32_t bytes = -1;
  EXPECT_EQ(compress_block(out.data(), 0, bytes, nullptr, 0, 74, 100, table), 0);
  EXPECT_EQ(bytes, 0);
}

TEST(GenerateBlockTable, LongCodesAreLimitedToSixteenBits) {
  // Fibonacci frequencies (1, 2, 3, 5, ...) make every merge take the previous
  // result, so the natural code lengths reach 20 bits.
  std::vector<int16_t> block;
  int64_t f1 = 1, f2 = 2;
  for (int v = 1; v <= 20; ++v) {
    for (int64_t i = 0; i < f1; ++i) block.push_back(static_cast<int16_t>(v));
    const int64_t next = f1 + f2;
    f1 = f2;
    f2 = next;
  }
  const int32_t lengths[1] = {static_cast<int32_t>(block.size())};

  std::vector<int32_t> counts;
  ASSERT_EQ(count_block(counts, 256, block.data(), lengths[0], 74, 100), 0);
  std::vector<int32_t> codesize;
  ASSERT_EQ(find_huff_sizes(codesize, counts, 256), 0);
  std::vector<uint8_t> natural;
  bool adjust = false;
  ASSERT_EQ(find_num_huff_sizes(natural, adjust, codesize, 256), 0);
  ASSERT_TRUE(adjust);
  EXPECT_EQ(natural[19], 1);  // the rarest symbol, beside the reserved point

  std::vector<HuffCodeEntry> table;
  std::vector<uint8_t> huffbits, huffvalues;
  ASSERT_EQ(generate_block_table(table, huffbits, huffvalues, block.data(), lengths, 1), 0);
  EXPECT_EQ(std::accumulate(huffbits.begin(), huffbits.begin() + 16, 0), 20);
  EXPECT_EQ(std::accumulate(huffbits.begin() + 16, huffbits.end(), 0), 0);
  // Kraft sum below 1: one code point stays free, so no code is all ones.
  double kraft = 0.0;
  for (int v = 1; v <= 20; ++v) {
    const HuffCodeEntry& e = table[180 + v];
    ASSERT_GT(e.size, 0);
    ASSERT_LE(e.size, 16);
    EXPECT_NE(e.code, (1u << e.size) - 1u);
    kraft += 1.0 / (1 << e.size);
  }
  EXPECT_LT(kraft, 1.0);
}

}  // namespace
