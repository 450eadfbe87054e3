#include "wsq/huffman_decode.h"

#include <algorithm>
#include <array>

#include "wsq/bit_window.h"
#include "wsq/block_symbols.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

void build_decode_tables(const std::vector<HuffCodeEntry>& code_list, DecodeTables& tables,
                         const uint8_t* huffbits) {
  tables = DecodeTables{};
  int32_t p = 0;
  for (int length = 1; length <= kMaxHuffbits; length++) {
    const int32_t count = huffbits[length - 1];
    if (count == 0) {
      tables.maxcode[length] = -1;
      continue;
    }
    tables.valptr[length] = p;
    tables.mincode[length] = code_list[p].code;
    p += count;
    tables.maxcode[length] = code_list[p - 1].code;
  }
}

int32_t decode_huffman_symbol(int32_t& symbol, uint16_t& marker, const BlockCode& code,
                              BitReaderState& state, const uint8_t*& cursor, const uint8_t* end,
                              int32_t& bit_count) {
  uint16_t bits = 0;
  int32_t value = 0;
  for (int length = 1; length <= kMaxHuffbits; length++) {
    marker = 0;
    if (int32_t ret =
            getc_nextbits_wsq(bits, marker, state, cursor, end, bit_count, 1, BitRequest::symbol)) {
      return ret;
    }
    if (marker != 0) {
      symbol = -1;
      return 0;
    }
    value = static_cast<uint16_t>((value << 1) | bits);
    const DecodeTables& t = code.tables;
    // Codes below a length's smallest code only occur with a table whose
    // counts overfill the code space; they match nothing.
    if (value <= t.maxcode[length] && value >= t.mincode[length]) {
      symbol = code.table->huffvalues[t.valptr[length] + value - t.mincode[length]];
      return 0;
    }
  }
  diag_write("ERROR : decode_huffman_symbol : no code matches the next 16 bits\n");
  return -53;
}

namespace {

// Coefficients the table decoder stores at once: one symbol's value is
// stored over this many entries, the later ones to be overwritten by the
// symbols after it, so that a zero run or a coefficient costs the same
// stores.
constexpr int32_t kStoreSpan = kLookupScratch + 1;

// The current block's position in the coefficient array.
struct CoefficientOutput {
  int16_t* coefficients;
  int32_t capacity;
  int32_t count = 0;

  int32_t put(int32_t value_count, int16_t value) {
    if (value_count > capacity - count) {
      diag_printf(
          "ERROR: huffman_decode_data_mem : block data holds more than %d "
          "coefficients\n",
          capacity);
      return -54;
    }
    std::fill_n(coefficients + count, value_count, value);
    count += value_count;
    return 0;
  }

  // Whether value_count values and a whole store span after them fit.
  bool span_fits(int32_t value_count) const { return value_count <= room() - kStoreSpan; }

  // Writes value_count values (span_fits holds) through whole store spans,
  // leaving scratch in up to kLookupScratch entries after them.
  void put_spanned(int32_t value_count, int16_t value) {
    int16_t* at = coefficients + count;
    for (int32_t i = 0; i < kStoreSpan; ++i) at[i] = value;
    if (value_count > kStoreSpan) std::fill_n(at + kStoreSpan, value_count - kStoreSpan, value);
    count += value_count;
  }

  int32_t room() const { return capacity - count; }
};

// Reads the block header after an SOB marker and prepares the block's code.
int32_t start_block(BlockCode& code, const HuffmanTableSet& huffman, const uint8_t*& cursor,
                    const uint8_t* end) {
  uint8_t table_id = 0;
  if (int32_t ret = getc_block_segment(table_id, cursor, end)) return ret;
  if (table_id >= kHuffmanSlotCount || !huffman.slots[table_id].defined) {
    diag_write("ERROR : huffman_decode_data_mem : ");
    diag_printf("huffman table {%d} undefined.\n", table_id);
    return -51;
  }
  const HuffmanTable& table = huffman.slots[table_id];
  std::vector<HuffCodeEntry> code_list;
  int32_t last_size = 0;
  if (int32_t ret = build_huffsizes(code_list, last_size, table.huffbits.data(), kMaxHuffcounts)) {
    return ret;
  }
  if (last_size == 0) {
    diag_write("ERROR : huffman_decode_data_mem : ");
    diag_printf("huffman table {%d} has no codes.\n", table_id);
    return -51;
  }
  assign_huffman_codes(code_list);
  if (check_all_ones_codes(code_list, last_size) != 0) {
    diag_printf("         hufftable_id = %d\n", table_id);
  }
  build_decode_tables(code_list, code.tables, table.huffbits.data());
  build_lookup_table(code.lookup, code.tables, table);
  code.table = &table;
  return 0;
}

// Reads `bit_size` extra bits after a symbol's code.
int32_t read_extra_bits(uint16_t& bits, BitReaderState& state, const uint8_t*& cursor,
                        const uint8_t* end, int32_t& bit_count, int32_t bit_size) {
  uint16_t marker = 0;
  return getc_nextbits_wsq(bits, marker, state, cursor, end, bit_count, bit_size);
}

// How many bits follow a symbol's code: 8 or 16 for 101..106, else none.
constexpr int32_t extra_bit_size(int32_t symbol) {
  using namespace block_symbols;
  if (symbol < kPositive8Symbol || symbol > kRun16Symbol) return 0;
  return (symbol == kPositive8Symbol || symbol == kNegative8Symbol || symbol == kRun8Symbol) ? 8
                                                                                            : 16;
}

// How many coefficients a valid symbol writes, given its extra bits.
constexpr int32_t coefficient_count(int32_t symbol, uint16_t extra) {
  using namespace block_symbols;
  if (symbol <= kMaxDirectZeroRun) return symbol;
  if (symbol == kRun8Symbol || symbol == kRun16Symbol) return extra;
  return 1;
}

// The value of those coefficients.
constexpr int16_t coefficient_value(int32_t symbol, uint16_t extra) {
  using namespace block_symbols;
  if (symbol >= kFirstDirectSymbol) return static_cast<int16_t>(symbol - kDirectCoefficientBase);
  if (symbol == kPositive8Symbol || symbol == kPositive16Symbol) return static_cast<int16_t>(extra);
  if (symbol == kNegative8Symbol || symbol == kNegative16Symbol) {
    return static_cast<int16_t>(-extra);
  }
  return 0;
}

constexpr bool valid_symbol(int32_t symbol) { return symbol >= 1 && symbol <= 254; }

// What a symbol writes, as arithmetic on its extra bits, so that the table
// decoder needs no branch on the kind of symbol: `count + (extra &
// count_mask)` coefficients of value `value + value_sign * extra`. Derived
// from the three rules above, symbol by symbol.
struct SymbolAction {
  int32_t extra_size = 0;
  int32_t count = 0;
  uint32_t count_mask = 0;
  int32_t value = 0;
  int32_t value_sign = 0;
  bool valid = false;
};

constexpr std::array<SymbolAction, 256> make_symbol_actions() {
  std::array<SymbolAction, 256> actions{};
  for (int32_t s = 0; s < 256; ++s) {
    SymbolAction& a = actions[s];
    a.valid = valid_symbol(s);
    a.extra_size = extra_bit_size(s);
    a.count = coefficient_count(s, 0);
    a.count_mask = coefficient_count(s, 1) != a.count ? 0xFFFFu : 0u;
    a.value = coefficient_value(s, 0);
    a.value_sign = coefficient_value(s, 1) - a.value;
  }
  return actions;
}

constexpr std::array<SymbolAction, 256> kSymbolActions = make_symbol_actions();

// Writes the coefficients one symbol stands for.
int32_t apply_symbol(int32_t symbol, CoefficientOutput& out, BitReaderState& state,
                     const uint8_t*& cursor, const uint8_t* end, int32_t& bit_count) {
  if (!valid_symbol(symbol)) {
    diag_printf("ERROR: huffman_decode_data_mem : Invalid code %d (%x).\n", symbol, symbol);
    return -52;
  }
  uint16_t extra = 0;
  if (const int32_t bit_size = extra_bit_size(symbol)) {
    if (int32_t ret = read_extra_bits(extra, state, cursor, end, bit_count, bit_size)) return ret;
  }
  return out.put(coefficient_count(symbol, extra), coefficient_value(symbol, extra));
}

// Decodes symbols through the lookahead table for as long as each code and
// its extra bits lie wholly in the window, the symbol is valid and its
// coefficients leave room for a whole store span after them; then hands the
// bit reader back its state, so that the bit-by-bit decoder takes the next
// symbol (a marker, the fill bits, damaged data, an error or the last
// coefficients of the block) exactly as it would have.
void decode_with_lookup(const BlockCode& code, CoefficientOutput& out, BitReaderState& state,
                        const uint8_t*& cursor, const uint8_t* end, int32_t& bit_count) {
  BitWindow window(state, cursor, end, bit_count);
  for (;;) {
    window.refill();
    const uint32_t pattern = window.peek(kLookaheadBits);
    int32_t length = code.lookup.length[pattern];
    int32_t symbol = code.lookup.value[pattern];
    if (length == 0) {
      if (window.available() < kMaxHuffbits) break;
      const MatchedCode matched =
          match_code(window.peek(kMaxHuffbits), kLookaheadBits + 1, code.tables, *code.table);
      length = matched.length;
      symbol = matched.value;
      if (length == 0) break;
    }
    const SymbolAction& action = kSymbolActions[symbol];
    const int32_t taken = length + action.extra_size;
    if (!action.valid || taken > window.available()) break;
    const uint32_t extra = window.peek(taken) & ((1u << action.extra_size) - 1);
    const int32_t count = action.count + static_cast<int32_t>(extra & action.count_mask);
    if (!out.span_fits(count)) break;
    window.skip(taken);
    out.put_spanned(count, static_cast<int16_t>(action.value +
                                                action.value_sign * static_cast<int32_t>(extra)));
  }
  window.store(state, cursor, bit_count);
}

}  // namespace

int32_t start_block_code(BlockCode& code, const HuffmanTableSet& huffman, const uint8_t*& cursor,
                         const uint8_t* end) {
  return start_block(code, huffman, cursor, end);
}

int32_t decode_block_data(const BlockCode& code, int16_t* coefficients, int32_t capacity,
                          int32_t& count, uint16_t& marker, BitReaderState& state,
                          const uint8_t*& cursor, const uint8_t* end, SymbolPath path) {
  CoefficientOutput out{coefficients, capacity, count};
  int32_t bit_count = 0;
  marker = 0;
  int32_t ret = 0;
  while (marker == 0) {
    if (path == SymbolPath::lookup) decode_with_lookup(code, out, state, cursor, end, bit_count);
    int32_t symbol = 0;
    ret = decode_huffman_symbol(symbol, marker, code, state, cursor, end, bit_count);
    if (ret != 0 || symbol == -1) break;
    ret = apply_symbol(symbol, out, state, cursor, end, bit_count);
    if (ret != 0) break;
  }
  count = out.count;
  return ret;
}

namespace {

int32_t decode_all_blocks(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                          QuantTable& quant, HuffmanTableSet& huffman, BitReaderState& state,
                          const uint8_t*& cursor, const uint8_t* end, SymbolPath path,
                          int32_t& count) {
  BlockCode code;
  uint16_t marker = 0;
  if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sob, cursor, end)) return ret;
  while (marker != kEoiMarker) {
    while (marker != kSobMarker) {
      if (int32_t ret = getc_table_wsq(marker, transform, quant, huffman, cursor, end)) {
        return ret;
      }
      if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sob, cursor, end)) {
        return ret;
      }
    }
    if (int32_t ret = start_block(code, huffman, cursor, end)) return ret;
    if (int32_t ret = decode_block_data(code, coefficients, capacity, count, marker, state, cursor,
                                        end, path)) {
      return ret;
    }
  }
  return 0;
}

}  // namespace

int32_t huffman_decode_data_mem(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                                QuantTable& quant, HuffmanTableSet& huffman, BitReaderState& state,
                                const uint8_t*& cursor, const uint8_t* end, SymbolPath path,
                                int32_t* written) {
  int32_t count = 0;
  const int32_t ret = decode_all_blocks(coefficients, capacity, transform, quant, huffman, state,
                                        cursor, end, path, count);
  if (written) *written = count;
  return ret;
}
