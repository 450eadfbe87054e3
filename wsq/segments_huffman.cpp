// Reader of DHT segments: one or more Huffman tables, each stored in the slot
// its id names.
#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

int32_t getc_huffman_table(uint8_t& table_id, std::array<uint8_t, kMaxHuffbits>& huffbits,
                           std::array<uint8_t, kHuffvaluesSize>& huffvalues,
                           const uint8_t*& cursor, const uint8_t* end, bool read_length,
                           int32_t& remaining) {
  if (read_length) {
    uint16_t length = 0;
    if (int32_t ret = getc_word16(length, cursor, end)) return ret;
    remaining = length - 2;
  }
  if (remaining <= 0) {
    diag_write("ERROR : getc_huffman_table : ");
    diag_write("no huffman table bytes remaining\n");
    return -2;
  }
  uint8_t id = 0;
  std::array<uint8_t, kMaxHuffbits> counts{};
  if (int32_t ret = getc_byte(id, cursor, end)) return ret;
  remaining -= 1;
  if (int32_t ret = getc_bytes(counts.data(), kMaxHuffbits, cursor, end)) return ret;
  remaining -= kMaxHuffbits;
  int32_t value_count = 0;
  for (uint8_t count : counts) value_count += count;
  if (value_count > kMaxHuffcounts + 1) {
    diag_write("ERROR : getc_huffman_table : ");
    diag_printf("num_hufvals (%d) is larger", value_count);
    diag_printf("than MAX_HUFFCOUNTS (%d)\n", kMaxHuffcounts + 1);
    return -4;
  }
  // 257 values would leave no room for the end of the code list.
  if (value_count > kMaxHuffcounts) {
    diag_printf("ERROR : getc_huffman_table : num_hufvals (%d) is more than the %d codes "
                "a table can hold\n",
                value_count, kMaxHuffcounts);
    return -4;
  }
  std::array<uint8_t, kHuffvaluesSize> values{};
  if (int32_t ret = getc_bytes(values.data(), value_count, cursor, end)) return ret;
  remaining -= value_count;
  table_id = id;
  huffbits = counts;
  huffvalues = values;
  return 0;
}

namespace {

int32_t check_table_id(uint8_t table_id) {
  if (table_id < kHuffmanSlotCount) return 0;
  diag_printf("ERROR : getc_huffman_table_wsq : huffman table ID = %d is not below %d\n",
              table_id, kHuffmanSlotCount);
  return -6;
}

}  // namespace

int32_t getc_huffman_table_wsq(HuffmanTableSet& huffman, const uint8_t*& cursor,
                               const uint8_t* end) {
  int32_t remaining = 0;
  bool first = true;
  do {
    uint8_t table_id = 0;
    std::array<uint8_t, kMaxHuffbits> huffbits{};
    std::array<uint8_t, kHuffvaluesSize> huffvalues{};
    if (int32_t ret = getc_huffman_table(table_id, huffbits, huffvalues, cursor, end, first,
                                         remaining)) {
      return ret;
    }
    if (int32_t ret = check_table_id(table_id)) return ret;
    HuffmanTable& slot = huffman.slots[table_id];
    // The first table of a segment may replace a table of an earlier segment;
    // later tables of the same segment may not replace anything.
    if (!first && slot.defined) {
      diag_write("ERROR : getc_huffman_table_wsq : ");
      diag_printf("huffman table ID = %d already defined\n", table_id);
      return -2;
    }
    slot.huffbits = huffbits;
    slot.huffvalues = huffvalues;
    slot.defined = 1;
    first = false;
  } while (remaining != 0);
  return 0;
}
