#pragma once
// The lookahead table of the table-driven symbol decoder: for every pattern
// of the next kLookaheadBits bits, the length and value of the code the
// bit-by-bit decoder would match first, or length 0 when it needs more bits.
#include <array>
#include <cstdint>

#include "wsq/tables.h"

struct DecodeTables;

inline constexpr int32_t kLookaheadBits = 10;

struct LookupTable {
  std::array<uint8_t, 1 << kLookaheadBits> length{};
  std::array<uint8_t, 1 << kLookaheadBits> value{};
};

// The code the bit-by-bit decoder matches in `bits`, the next 16 bits of the
// data (most significant first), trying lengths from `first_length` to 16:
// its length and value, or length 0 when no code matches.
struct MatchedCode {
  int32_t length = 0;
  uint8_t value = 0;
};
MatchedCode match_code(uint32_t bits, int32_t first_length, const DecodeTables& tables,
                       const HuffmanTable& table);

void build_lookup_table(LookupTable& lookup, const DecodeTables& tables,
                        const HuffmanTable& table);
