#include "wsq/huffman_decode_blocks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/huffman_decode.h"
#include "wsq/quantize.h"

namespace {

constexpr int32_t kBlockCount = 3;

// Where one block's data lies and how it is coded.
struct BlockPlan {
  HuffmanTable table;  // a copy: a later DHT segment may redefine the slot
  BlockCode code;
  const uint8_t* data = nullptr;
  const uint8_t* after = nullptr;  // past the marker that ends the data
  uint16_t marker = 0;
  int32_t start = 0;  // first coefficient
  int32_t room = 0;   // coefficients it may write
};

// The state the blocks leave: tables read between them, and the cursor.
struct Walk {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  const uint8_t* cursor = nullptr;
  std::array<BlockPlan, kBlockCount> blocks;
};

// The marker that ends block data at `data`: the first 0xFF not followed by
// a stuffed 0x00. False when the data runs to the end.
bool find_marker(const uint8_t* data, const uint8_t* end, const uint8_t*& marker_at) {
  const uint8_t* p = data;
  while (p < end) {
    p = static_cast<const uint8_t*>(std::memchr(p, 0xFF, static_cast<size_t>(end - p)));
    if (p == nullptr || end - p < 2) return false;
    if (p[1] != 0) {
      marker_at = p;
      return true;
    }
    p += 2;
  }
  return false;
}

// Walks the segments as huffman_decode_data_mem would, on copies of the
// tables, skipping over block data. False unless there are exactly three
// blocks, each ended by a marker, and the codestream ends with EOI.
bool walk_blocks(Walk& walk, const uint8_t* end) {
  uint16_t marker = 0;
  if (getc_marker_wsq(marker, MarkerSet::tables_or_sob, walk.cursor, end) != 0) return false;
  int32_t count = 0;
  while (marker != kEoiMarker) {
    while (marker != kSobMarker) {
      if (getc_table_wsq(marker, walk.transform, walk.quant, walk.huffman, walk.cursor, end) ||
          getc_marker_wsq(marker, MarkerSet::tables_or_sob, walk.cursor, end)) {
        return false;
      }
    }
    if (count == kBlockCount) return false;
    BlockPlan& block = walk.blocks[count++];
    if (start_block_code(block.code, walk.huffman, walk.cursor, end) != 0) return false;
    block.table = *block.code.table;
    block.code.table = &block.table;
    block.data = walk.cursor;
    const uint8_t* marker_at = nullptr;
    if (!find_marker(block.data, end, marker_at)) return false;
    block.marker = static_cast<uint16_t>(0xFF00 | marker_at[1]);
    block.after = marker_at + 2;
    walk.cursor = block.after;
    marker = block.marker;
  }
  return count == kBlockCount;
}

// Places the blocks where their coefficient counts put them; false when the
// counts do not fit.
bool place_blocks(Walk& walk, int32_t capacity, const WsqTrees& trees) {
  int32_t sizes[kBlockCount] = {};
  coded_block_sizes(sizes[0], sizes[1], sizes[2], walk.quant.q.data(), trees.wavelet_tree,
                    trees.subband_tree);
  int32_t start = 0;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    if (sizes[b] < 0 || sizes[b] > capacity - start) return false;
    walk.blocks[b].start = start;
    walk.blocks[b].room = b + 1 < kBlockCount ? sizes[b] : capacity - start;
    start += sizes[b];
  }
  return true;
}

// What decoding one block gave.
struct BlockResult {
  int32_t ret = 0;
  int32_t count = 0;
  uint16_t marker = 0;
  const uint8_t* cursor = nullptr;
  BitReaderState state;
  bool quiet = true;
};

BlockResult decode_block(const BlockPlan& block, int16_t* coefficients, const uint8_t* end) {
  CapturedDiagnostics captured;
  BlockResult result;
  result.cursor = block.data;
  result.ret = decode_block_data(block.code, coefficients + block.start, block.room, result.count,
                                 result.marker, result.state, result.cursor, end);
  result.quiet = captured.text().empty();
  return result;
}

// Whether the blocks decoded as one after another they would have: each
// without error or diagnostic, ending at the marker the walk found, and
// each but the last filling exactly the coefficients the next one starts
// after.
bool as_one_after_another(const Walk& walk, const std::array<BlockResult, kBlockCount>& results) {
  for (int32_t b = 0; b < kBlockCount; ++b) {
    const BlockResult& r = results[b];
    const BlockPlan& block = walk.blocks[b];
    if (r.ret != 0 || !r.quiet || r.marker != block.marker || r.cursor != block.after) {
      return false;
    }
    if (b + 1 < kBlockCount && r.count != block.room) return false;
  }
  return true;
}

// Decodes the three blocks side by side, setting `written` as the blocks
// decoded in turn would; false when the result could differ from theirs.
bool decode_side_by_side(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                         QuantTable& quant, HuffmanTableSet& huffman, BitReaderState& state,
                         const uint8_t*& cursor, const uint8_t* end, const WsqTrees& trees,
                         WorkerPool& pool, int32_t& written) {
  Walk walk{transform, quant, huffman, cursor, {}};
  {
    CapturedDiagnostics captured;
    if (!walk_blocks(walk, end) || !captured.text().empty()) return false;
  }
  if (!place_blocks(walk, capacity, trees)) return false;
  std::array<BlockResult, kBlockCount> results;
  pool.run(kBlockCount, [&](int32_t b, int32_t) {
    results[b] = decode_block(walk.blocks[b], coefficients, end);
  });
  if (!as_one_after_another(walk, results)) return false;
  transform = walk.transform;
  quant = walk.quant;
  huffman = walk.huffman;
  state = results[kBlockCount - 1].state;
  cursor = walk.cursor;
  written = walk.blocks[kBlockCount - 1].start + results[kBlockCount - 1].count;
  return true;
}

}  // namespace

int32_t huffman_decode_blocks(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                              QuantTable& quant, HuffmanTableSet& huffman, BitReaderState& state,
                              const uint8_t*& cursor, const uint8_t* end, const WsqTrees& trees,
                              WorkerPool& pool) {
  int32_t written = 0;
  const bool side_by_side =
      pool.size() > 1 && decode_side_by_side(coefficients, capacity, transform, quant, huffman,
                                             state, cursor, end, trees, pool, written);
  if (!side_by_side) {
    if (int32_t ret = huffman_decode_data_mem(coefficients, capacity, transform, quant, huffman,
                                              state, cursor, end, SymbolPath::lookup, &written)) {
      return ret;
    }
  }
  // The coefficients the blocks do not reach are 0.
  for_each_range(&pool, capacity - written, [&](int64_t begin, int64_t stop) {
    std::fill(coefficients + written + begin, coefficients + written + stop, int16_t{0});
  });
  return 0;
}
