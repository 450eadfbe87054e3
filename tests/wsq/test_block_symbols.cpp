// The coder's block walk, which finds non-zero coefficients from bit masks,
// against the plain coefficient-by-coefficient walk: the same symbols in the
// same order (once its empty symbols are dropped), and the same early stop.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "wsq/block_symbols.h"
#include "wsq/huffman_encode.h"

namespace {

// Values at every edge of the symbol rules, and zero runs of every kind:
// short, across 64-coefficient stretches, and around the 65535 limit.
std::vector<int16_t> edge_block(std::mt19937& generator, size_t length) {
  static const int16_t kValues[] = {1,   -1,   73,  -73, 74,    -74,    75,   -75,
                                    255, -255, 256, -256, 32767, -32768, 1000, -7};
  static const int32_t kRuns[] = {1, 2, 63, 64, 65, 100, 101, 255, 256, 65534, 65535, 65536, 131070,
                                  131071};
  std::vector<int16_t> block;
  while (block.size() < length) {
    const uint32_t kind = generator() % 8;
    if (kind == 0) {
      block.insert(block.end(), kRuns[generator() % std::size(kRuns)], 0);
    } else if (kind < 3) {
      block.insert(block.end(), generator() % 5, 0);
    } else {
      block.push_back(kValues[generator() % std::size(kValues)]);
    }
  }
  block.resize(length);
  return block;
}

struct Walked {
  std::vector<BlockSymbol> symbols;
  bool finished = false;
};

// The walk's non-empty symbols, stopping once `limit` of them are taken.
template <class Walk>
Walked walk(Walk w, const std::vector<int16_t>& block, size_t limit = SIZE_MAX) {
  Walked result;
  result.finished = w(block.data(), static_cast<int32_t>(block.size()), kMaxDirectCoefficient,
                      kMaxDirectZeroRun, [&](const BlockSymbol& s) {
                        if (s.value == 0) return true;
                        result.symbols.push_back(s);
                        return result.symbols.size() < limit;
                      });
  return result;
}

const auto kFast = [](auto... args) { return walk_block(args...); };
const auto kReference = [](auto... args) { return walk_block_reference(args...); };

TEST(BlockWalk, GivesTheReferenceSymbols) {
  std::mt19937 generator(11);
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (int i = 0; i < 60; ++i) lengths.push_back(generator() % 400000);
  for (const size_t length : lengths) {
    const std::vector<int16_t> block = edge_block(generator, length);
    const Walked expected = walk(kReference, block);
    const Walked actual = walk(kFast, block);
    ASSERT_TRUE(expected.finished);
    ASSERT_TRUE(actual.finished) << "length " << length;
    ASSERT_EQ(actual.symbols, expected.symbols) << "length " << length;
  }
}

TEST(BlockWalk, GivesTheReferenceSymbolsForAllZeroBlocks) {
  for (const size_t length : {1, 64, 65535, 65536, 200000}) {
    const std::vector<int16_t> block(length, 0);
    EXPECT_EQ(walk(kFast, block).symbols, walk(kReference, block).symbols) << length;
  }
}

TEST(BlockWalk, StopsWhereTheReferenceStops) {
  std::mt19937 generator(12);
  const std::vector<int16_t> block = edge_block(generator, 300000);
  const size_t total = walk(kReference, block).symbols.size();
  for (const size_t limit : {size_t{1}, size_t{2}, size_t{17}, total / 2, total}) {
    const Walked expected = walk(kReference, block, limit);
    const Walked actual = walk(kFast, block, limit);
    EXPECT_FALSE(actual.finished) << limit;
    EXPECT_EQ(actual.finished, expected.finished) << limit;
    EXPECT_EQ(actual.symbols, expected.symbols) << limit;
  }
}

}  // namespace
