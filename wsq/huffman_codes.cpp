#include "wsq/huffman_codes.h"

#include <new>

#include "wsq/diagnostics.h"

int32_t build_huffsizes(std::vector<HuffCodeEntry>& code_list, int32_t& last_size,
                        const uint8_t* huffbits, int32_t max_huffcounts) {
  int32_t total = 0;
  for (int i = 0; i < 16; i++) total += huffbits[i];
  if (total > max_huffcounts) {
    diag_printf("ERROR : build_huffsizes : %d codes are more than %d\n", total, max_huffcounts);
    return -2;
  }
  std::vector<HuffCodeEntry> list;
  try {
    list.assign(static_cast<size_t>(max_huffcounts) + 1, HuffCodeEntry{});
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : build_huffsizes : calloc : huffcode_table\n");
    return -2;
  }
  int32_t k = 0;
  for (int16_t length = 1; length <= 16; length++) {
    for (int i = 0; i < huffbits[length - 1]; i++) list[k++].size = length;
  }
  code_list = std::move(list);
  last_size = k;
  return 0;
}

void assign_huffman_codes(std::vector<HuffCodeEntry>& code_list) {
  size_t k = 0;
  uint16_t code = 0;
  if (code_list.empty()) return;
  int16_t length = code_list[0].size;
  // An empty list (first entry of size 0) gets no codes.
  while (k < code_list.size() && code_list[k].size != 0) {
    while (k < code_list.size() && code_list[k].size == length) {
      code_list[k++].code = code++;
    }
    if (k == code_list.size() || code_list[k].size == 0) break;
    while (length < code_list[k].size) {
      code = static_cast<uint16_t>(code << 1);
      length++;
    }
  }
}

int32_t check_all_ones_codes(const std::vector<HuffCodeEntry>& code_list, int32_t last_size) {
  for (int32_t k = 0; k < last_size && k < static_cast<int32_t>(code_list.size()); k++) {
    const HuffCodeEntry& entry = code_list[k];
    const uint32_t all_ones = (1u << entry.size) - 1u;
    if (entry.code == all_ones) {
      diag_write("WARNING: A code in the hufftable contains an ");
      diag_write("all 1's code.\n         This image may still be ");
      diag_write("decodable.\n         It is not compliant with ");
      diag_write("the WSQ specification.\n");
      return -1;
    }
  }
  return 0;
}

int32_t build_huffcode_table(std::vector<HuffCodeEntry>& table,
                             const std::vector<HuffCodeEntry>& code_list, int32_t last_size,
                             const uint8_t* huffvalues, int32_t max_huffcounts) {
  std::vector<HuffCodeEntry> built;
  try {
    built.assign(static_cast<size_t>(max_huffcounts) + 1, HuffCodeEntry{});
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : build_huffcode_table : calloc : new_huffcode_table\n");
    return -2;
  }
  for (int32_t k = 0; k < last_size && k < static_cast<int32_t>(code_list.size()); k++) {
    if (huffvalues[k] < built.size()) built[huffvalues[k]] = code_list[k];
  }
  table = std::move(built);
  return 0;
}
