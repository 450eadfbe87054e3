#include "wsq/huffman_encode.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <new>

#include "wsq/bit_stream.h"
#include "wsq/block_symbols.h"
#include "wsq/diagnostics.h"

namespace {

template <class T>
bool allocate(std::vector<T>& v, size_t size, T value, const char* message) {
  try {
    v.assign(size, value);
    return true;
  } catch (const std::bad_alloc&) {
    diag_write(message);
    return false;
  }
}

// Adds 1 to the code length of `entry` and of every entry chained after it;
// returns the last entry of the chain.
int32_t lengthen_chain(int32_t entry, std::vector<int32_t>& codesize,
                       const std::vector<int32_t>& others) {
  ++codesize[entry];
  while (others[entry] != -1) {
    entry = others[entry];
    ++codesize[entry];
  }
  return entry;
}

}  // namespace

int32_t count_block(std::vector<int32_t>& counts, int32_t max_huffcounts, const int16_t* block,
                    int32_t length, int32_t max_coefficient, int32_t max_zero_run) {
  if (!allocate<int32_t>(counts, max_huffcounts + 1, 0,
                         "ERROR : count_block : calloc : counts\n")) {
    return -48;
  }
  counts[max_huffcounts] = 1;
  walk_block(block, length, max_coefficient, max_zero_run, [&](const BlockSymbol& s) {
    ++counts[s.value];
    return true;
  });
  counts[0] = 0;  // the empty symbol
  return 0;
}

void find_least_two(int32_t& least, int32_t& second, const std::vector<int32_t>& counts,
                    int32_t max_huffcounts) {
  least = -1;
  second = -1;
  int32_t least_count = INT32_MAX;
  int32_t second_count = INT32_MAX;
  for (int32_t i = 0; i <= max_huffcounts; ++i) {
    const int32_t c = counts[i];
    if (c == 0) continue;
    if (c <= least_count) {
      second = least;
      second_count = least_count;
      least = i;
      least_count = c;
    } else if (c <= second_count) {
      second = i;
      second_count = c;
    }
  }
}

int32_t find_huff_sizes(std::vector<int32_t>& codesize, std::vector<int32_t>& counts,
                        int32_t max_huffcounts) {
  if (!allocate<int32_t>(codesize, max_huffcounts + 1, 0,
                         "ERROR : find_huff_sizes : calloc : codesize\n")) {
    return -2;
  }
  std::vector<int32_t> others;
  if (!allocate<int32_t>(others, max_huffcounts + 1, -1,
                         "ERROR : find_huff_sizes : malloc : others\n")) {
    return -3;
  }
  while (true) {
    int32_t a = -1;
    int32_t b = -1;
    find_least_two(a, b, counts, max_huffcounts);
    if (b == -1) break;
    counts[a] += counts[b];
    counts[b] = 0;
    const int32_t last_of_a = lengthen_chain(a, codesize, others);
    others[last_of_a] = b;
    lengthen_chain(b, codesize, others);
  }
  return 0;
}

int32_t find_num_huff_sizes(std::vector<uint8_t>& huffbits, bool& adjust,
                            const std::vector<int32_t>& codesize, int32_t max_huffcounts) {
  if (!allocate<uint8_t>(huffbits, kMaxCodeLength, 0,
                         "ERROR : find_num_huff_sizes : calloc : bits\n")) {
    return -2;
  }
  adjust = false;
  for (int32_t k = 0; k < max_huffcounts; ++k) {
    const int32_t size = codesize[k];
    if (size <= 0) continue;
    if (size > kMaxCodeLength) {
      diag_printf("ERROR : find_num_huff_sizes : code length %d exceeds %d bits\n", size,
                  kMaxCodeLength);
      return -4;
    }
    ++huffbits[size - 1];
    if (size > kMaxHuffbits) adjust = true;
  }
  return 0;
}

int32_t sort_huffbits(std::vector<uint8_t>& huffbits) {
  std::vector<int16_t> count;
  if (!allocate<int16_t>(count, kMaxCodeLength, 0, "ERROR : sort_huffbits : malloc : tbits\n")) {
    return -2;
  }
  std::copy(huffbits.begin(), huffbits.end(), count.begin());
  for (int32_t i = kMaxCodeLength - 1; i >= kMaxHuffbits; --i) {
    while (count[i] > 0) {
      // A pair of the longest codes becomes one code one bit shorter plus a
      // shorter code split in two.
      int32_t j = i - 2;
      while (j >= 0 && count[j] == 0) --j;
      if (j < 0) break;  // no shorter code to split: cannot occur for real statistics
      count[i] -= 2;
      count[i - 1] += 1;
      count[j + 1] += 2;
      count[j] -= 1;
    }
    count[i] = 0;
  }
  int32_t i = kMaxHuffbits - 1;
  while (i >= 0 && count[i] == 0) --i;
  if (i >= 0) --count[i];
  std::copy(count.begin(), count.end(), huffbits.begin());
  return 0;
}

int32_t sort_code_sizes(std::vector<uint8_t>& huffvalues, const std::vector<int32_t>& codesize,
                        int32_t max_huffcounts) {
  if (!allocate<uint8_t>(huffvalues, max_huffcounts + 1, 0,
                         "ERROR : sort_code_sizes : calloc : value\n")) {
    return -2;
  }
  int32_t next = 0;
  for (int32_t size = 1; size <= kMaxCodeLength; ++size) {
    for (int32_t k = 0; k < max_huffcounts; ++k) {
      if (codesize[k] == size) huffvalues[next++] = static_cast<uint8_t>(k);
    }
  }
  return 0;
}

int32_t generate_block_table(std::vector<HuffCodeEntry>& table, std::vector<uint8_t>& huffbits,
                             std::vector<uint8_t>& huffvalues, const int16_t* first,
                             const int32_t* block_lengths, int32_t block_count) {
  const int32_t max = kCodePointCount - 1;
  std::vector<int32_t> counts;
  int32_t result =
      count_block(counts, max, first, block_lengths[0], kMaxDirectCoefficient, kMaxDirectZeroRun);
  if (result != 0) return result;
  if (block_count == 2) {
    std::vector<int32_t> second;
    result = count_block(second, max, first + block_lengths[0], block_lengths[1],
                         kMaxDirectCoefficient, kMaxDirectZeroRun);
    if (result != 0) return result;
    for (int32_t k = 0; k < max; ++k) counts[k] += second[k];
  }
  // Blocks without any coefficient still get a table with one code (a run of
  // one zero, never used), so that their block headers name a usable table.
  if (std::all_of(counts.begin(), counts.begin() + max, [](int32_t c) { return c == 0; })) {
    counts[1] = 1;
  }

  std::vector<int32_t> codesize;
  if ((result = find_huff_sizes(codesize, counts, max)) != 0) return result;
  std::vector<uint8_t> bits;
  bool adjust = false;
  if ((result = find_num_huff_sizes(bits, adjust, codesize, max)) != 0) return result;
  if (adjust && (result = sort_huffbits(bits)) != 0) return result;
  std::vector<uint8_t> values;
  if ((result = sort_code_sizes(values, codesize, max)) != 0) return result;

  std::vector<HuffCodeEntry> code_list;
  int32_t last_size = 0;
  if ((result = build_huffsizes(code_list, last_size, bits.data(), max)) != 0) return result;
  assign_huffman_codes(code_list);
  if (check_all_ones_codes(code_list, last_size) != 0) {
    diag_write("ERROR: This huffcode warning is an error ");
    diag_write("for the encoder.\n");
    return -1;
  }
  std::vector<HuffCodeEntry> codes;
  if ((result = build_huffcode_table(codes, code_list, last_size, values.data(), max)) != 0) {
    return result;
  }
  table = std::move(codes);
  huffbits = std::move(bits);
  huffvalues = std::move(values);
  return 0;
}

int32_t compress_block(uint8_t* output, int32_t capacity, int32_t& byte_count, const int16_t* block,
                       int32_t length, int32_t max_coefficient, int32_t max_zero_run,
                       const std::vector<HuffCodeEntry>& table) {
  // The codes by symbol, the empty symbol without bits.
  std::array<HuffCodeEntry, kCodePointCount> codes{};
  std::copy_n(table.begin(), std::min<size_t>(table.size(), codes.size()), codes.begin());
  codes[0] = {};
  CodeWriter writer(output);
  // A symbol's code and raw bits go out as one put of at most 32 bits (put
  // drops any code bits above its size), which stores at most 8 bytes, so
  // checking after every symbol keeps the writes within the slack past
  // `capacity`; so does the final flush.
  const bool finished =
      walk_block(block, length, max_coefficient, max_zero_run, [&](const BlockSymbol& s) {
        const HuffCodeEntry& code = codes[s.value];
        writer.put((static_cast<uint32_t>(code.code) << s.extra_size) | s.extra,
                   code.size + s.extra_size);
        return writer.byte_count() <= capacity;
      });
  if (finished) writer.flush();
  const int32_t count = writer.byte_count();
  if (!finished || count > capacity) {
    diag_printf("ERROR : compress_block : coded block exceeds its buffer of %d bytes\n", capacity);
    return -49;
  }
  byte_count = count;
  return 0;
}
