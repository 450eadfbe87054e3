#pragma once
// Decoding of Huffman-coded block data into quantized coefficients.
#include <cstdint>

#include "wsq/bit_stream.h"
#include "wsq/huffman_codes.h"
#include "wsq/huffman_lookup.h"
#include "wsq/tables.h"

// Per-length decode tables, indexed by code length 1..16 (index 0 unused).
struct DecodeTables {
  int32_t maxcode[kMaxHuffbits + 1] = {};  // largest code of a length, -1 if none
  int32_t mincode[kMaxHuffbits + 1] = {};  // smallest code of a length
  int32_t valptr[kMaxHuffbits + 1] = {};   // index of its first value
};

// Everything a symbol decoder needs for the block being decoded.
struct BlockCode {
  DecodeTables tables;
  LookupTable lookup;
  const HuffmanTable* table = nullptr;  // counts and values
};

void build_decode_tables(const std::vector<HuffCodeEntry>& code_list, DecodeTables& tables,
                         const uint8_t* huffbits);

// Decodes one symbol bit by bit. A marker met at the symbol boundary (or
// inside the fill bits before it) gives symbol -1 and the marker. Fails with
// -53 when no code matches within 16 bits.
int32_t decode_huffman_symbol(int32_t& symbol, uint16_t& marker, const BlockCode& code,
                              BitReaderState& state, const uint8_t*& cursor, const uint8_t* end,
                              int32_t& bit_count);

// How the block decoder reads symbols: one bit per request (the reference),
// or through the lookahead table wherever the next code and its extra bits
// lie wholly before the next marker, falling back to the reference for one
// symbol elsewhere. Both give the same coefficients, codes, messages and
// cursor.
enum class SymbolPath { bit_by_bit, lookup };

// The lookahead path stores each symbol's value over a fixed span of
// entries, so that it needs no branch on the kind of symbol: up to this many
// entries after the last coefficient written may then hold scratch values.
// Callers overwrite or clear them.
inline constexpr int32_t kLookupScratch = 15;

// Reads the block header after an SOB marker and prepares the block's code
// from its table in `huffman` (which `code` then refers to). Returns 0 or
// -51 (no such table, or a table without codes).
int32_t start_block_code(BlockCode& code, const HuffmanTableSet& huffman, const uint8_t*& cursor,
                         const uint8_t* end);

// Decodes one block's data, from `count` coefficients on, until the marker
// after it (stored in `marker`, the cursor past it); `count` ends as the
// number of coefficients written (see kLookupScratch for the entries after
// them). Fails as huffman_decode_data_mem does.
int32_t decode_block_data(const BlockCode& code, int16_t* coefficients, int32_t capacity,
                          int32_t& count, uint16_t& marker, BitReaderState& state,
                          const uint8_t*& cursor, const uint8_t* end,
                          SymbolPath path = SymbolPath::lookup);

// Decodes every block from the cursor (just after the frame header) to EOI,
// reading the table segments met between blocks, into `coefficients`, which
// holds `capacity` entries. Block data that would write more fails with -54.
// The blocks write the coefficients from the first one on without gaps;
// `written`, if given, is set to how many they wrote, also on failure; up
// to kLookupScratch entries after those may hold scratch values.
int32_t huffman_decode_data_mem(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                                QuantTable& quant, HuffmanTableSet& huffman, BitReaderState& state,
                                const uint8_t*& cursor, const uint8_t* end,
                                SymbolPath path = SymbolPath::lookup, int32_t* written = nullptr);
