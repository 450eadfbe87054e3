#include "wsq/huffman_lookup.h"

#include "wsq/huffman_decode.h"

MatchedCode match_code(uint32_t bits, int32_t first_length, const DecodeTables& tables,
                       const HuffmanTable& table) {
  for (int32_t length = first_length; length <= kMaxHuffbits; ++length) {
    const int32_t code = static_cast<int32_t>(bits >> (kMaxHuffbits - length));
    // The same test as the bit-by-bit decoder, so that tables whose counts
    // overfill the code space match the same codes.
    if (code <= tables.maxcode[length] && code >= tables.mincode[length]) {
      return {length, table.huffvalues[tables.valptr[length] + code - tables.mincode[length]]};
    }
  }
  return {};
}

void build_lookup_table(LookupTable& lookup, const DecodeTables& tables,
                        const HuffmanTable& table) {
  for (uint32_t pattern = 0; pattern < lookup.length.size(); ++pattern) {
    const uint32_t bits = pattern << (kMaxHuffbits - kLookaheadBits);
    MatchedCode matched = match_code(bits, 1, tables, table);
    if (matched.length > kLookaheadBits) matched = {};
    lookup.length[pattern] = static_cast<uint8_t>(matched.length);
    lookup.value[pattern] = matched.value;
  }
}
