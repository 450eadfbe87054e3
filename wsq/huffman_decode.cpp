#include "wsq/huffman_decode.h"

#include <algorithm>

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
                              BitReaderState& state, const uint8_t*& cursor,
                              const uint8_t* end, int32_t& bit_count) {
  uint16_t bits = 0;
  int32_t value = 0;
  for (int length = 1; length <= kMaxHuffbits; length++) {
    marker = 0;
    if (int32_t ret = getc_nextbits_wsq(bits, marker, state, cursor, end, bit_count, 1,
                                        BitRequest::symbol)) {
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

// The current block's position in the coefficient array.
struct CoefficientOutput {
  int16_t* coefficients;
  int32_t capacity;
  int32_t count = 0;

  int32_t put(int32_t value_count, int16_t value) {
    if (value_count > capacity - count) {
      diag_printf("ERROR: huffman_decode_data_mem : block data holds more than %d "
                  "coefficients\n",
                  capacity);
      return -54;
    }
    std::fill_n(coefficients + count, value_count, value);
    count += value_count;
    return 0;
  }
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
  code.table = &table;
  return 0;
}

// Reads `bit_size` extra bits after a symbol's code.
int32_t read_extra_bits(uint16_t& bits, BitReaderState& state, const uint8_t*& cursor,
                        const uint8_t* end, int32_t& bit_count, int32_t bit_size) {
  uint16_t marker = 0;
  return getc_nextbits_wsq(bits, marker, state, cursor, end, bit_count, bit_size);
}

// Writes the coefficients one symbol stands for.
int32_t apply_symbol(int32_t symbol, CoefficientOutput& out, BitReaderState& state,
                     const uint8_t*& cursor, const uint8_t* end, int32_t& bit_count) {
  if (symbol >= 1 && symbol <= 100) return out.put(symbol, 0);
  if (symbol >= 107 && symbol <= 254) return out.put(1, static_cast<int16_t>(symbol - 180));
  if (symbol < 101 || symbol > 106) {
    diag_printf("ERROR: huffman_decode_data_mem : Invalid code %d (%x).\n", symbol, symbol);
    return -52;
  }
  const int32_t bit_size = (symbol == 101 || symbol == 102 || symbol == 105) ? 8 : 16;
  uint16_t bits = 0;
  if (int32_t ret = read_extra_bits(bits, state, cursor, end, bit_count, bit_size)) return ret;
  switch (symbol) {
    case 101:
    case 103:
      return out.put(1, static_cast<int16_t>(bits));
    case 102:
    case 104:
      return out.put(1, static_cast<int16_t>(-bits));
    default:
      return out.put(bits, 0);
  }
}

}  // namespace

int32_t huffman_decode_data_mem(int16_t* coefficients, int32_t capacity,
                                TransformTable& transform, QuantTable& quant,
                                HuffmanTableSet& huffman, BitReaderState& state,
                                const uint8_t*& cursor, const uint8_t* end,
                                SymbolDecoder decode_symbol) {
  CoefficientOutput out{coefficients, capacity};
  BlockCode code;
  uint16_t marker = 0;
  if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sob, cursor, end)) return ret;
  int32_t bit_count = 0;
  while (marker != kEoiMarker) {
    if (marker != 0) {
      while (marker != kSobMarker) {
        if (int32_t ret = getc_table_wsq(marker, transform, quant, huffman, cursor, end)) {
          return ret;
        }
        if (int32_t ret = getc_marker_wsq(marker, MarkerSet::tables_or_sob, cursor, end)) {
          return ret;
        }
      }
      if (int32_t ret = start_block(code, huffman, cursor, end)) return ret;
      bit_count = 0;
      marker = 0;
    }
    int32_t symbol = 0;
    if (int32_t ret = decode_symbol(symbol, marker, code, state, cursor, end, bit_count)) {
      return ret;
    }
    if (symbol == -1) continue;
    if (int32_t ret = apply_symbol(symbol, out, state, cursor, end, bit_count)) return ret;
  }
  return 0;
}
