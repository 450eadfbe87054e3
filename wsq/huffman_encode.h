#pragma once
// The encoder's side of Huffman coding: symbol statistics of quantized
// blocks, code lengths limited to 16 bits, the ordered symbol values, the
// symbol-indexed code table, and the coding of a block into bytes.
#include <cstdint>
#include <vector>

#include "wsq/block_symbols.h"
#include "wsq/huffman_codes.h"
#include "wsq/tables.h"

// Symbol values 0..255 plus the reserved code point 256.
inline constexpr int32_t kCodePointCount = 257;
// Code lengths a table can express before they are limited to 16 bits.
inline constexpr int32_t kMaxCodeLength = 32;
// Bytes compress_block may write past `capacity` before it notices.
inline constexpr int32_t kCompressBlockSlack = 8;

// Counts each symbol of the block; counts[256], the reserved code point, is 1.
// Returns 0 or -48 (no memory).
int32_t count_block(std::vector<int32_t>& counts, int32_t max_huffcounts, const int16_t* block,
                    int32_t length, int32_t max_coefficient, int32_t max_zero_run);

// Code length of every symbol by repeatedly merging the two least frequent
// entries; `counts` is consumed. Returns 0, -2 or -3 (no memory).
int32_t find_huff_sizes(std::vector<int32_t>& codesize, std::vector<int32_t>& counts,
                        int32_t max_huffcounts);

// The entry with the smallest non-zero count and the one with the next
// smallest, the highest index among equals; -1 where there is none.
void find_least_two(int32_t& least, int32_t& second, const std::vector<int32_t>& counts,
                    int32_t max_huffcounts);

// huffbits[L - 1] = number of symbols 0..255 with code length L (32 entries);
// `adjust` is set when some length exceeds 16. Returns 0, -2 (no memory) or
// -4 when a length would exceed 32 bits.
int32_t find_num_huff_sizes(std::vector<uint8_t>& huffbits, bool& adjust,
                            const std::vector<int32_t>& codesize, int32_t max_huffcounts);

// Limits the code lengths to 16 bits, keeping one code per symbol.
// Returns 0 or -2 (no memory).
int32_t sort_huffbits(std::vector<uint8_t>& huffbits);

// The symbols in order of increasing code length (257 entries, zero after the
// last). Returns 0 or -2 (no memory).
int32_t sort_code_sizes(std::vector<uint8_t>& huffvalues, const std::vector<int32_t>& codesize,
                        int32_t max_huffcounts);

// Builds one table for 1 or 2 consecutive blocks starting at `first`: the
// symbol-indexed codes, the 32 counts per length (the first 16 are written)
// and the values in code order. Returns 0 or the failing step's code.
int32_t generate_block_table(std::vector<HuffCodeEntry>& table, std::vector<uint8_t>& huffbits,
                             std::vector<uint8_t>& huffvalues, const int16_t* first,
                             const int32_t* block_lengths, int32_t block_count);

// Codes a block into `output`, which must hold capacity + kCompressBlockSlack
// bytes; `byte_count` is the number of bytes stored. Returns 0, or -49 when
// the coded block would not fit in `capacity` bytes.
int32_t compress_block(uint8_t* output, int32_t capacity, int32_t& byte_count, const int16_t* block,
                       int32_t length, int32_t max_coefficient, int32_t max_zero_run,
                       const std::vector<HuffCodeEntry>& table);
