#pragma once
// Canonical Huffman codes from a table's 16 counts, shared by the decoder and
// the encoder.
#include <cstdint>
#include <vector>

struct HuffCodeEntry {
  int16_t size = 0;    // code length in bits, 0 = no code
  uint16_t code = 0;   // code bits, right-aligned
};

// Code list: entries 0..n-1 hold the n codes in order of increasing length
// (the order of the table's values), entry n has size 0. Created with
// `max_huffcounts` + 1 zeroed entries; n is returned in `last_size`. Fails
// with -2 when the counts add up to more than `max_huffcounts`.
int32_t build_huffsizes(std::vector<HuffCodeEntry>& code_list, int32_t& last_size,
                        const uint8_t* huffbits, int32_t max_huffcounts);

// Gives each entry of the list its canonical code: consecutive codes within a
// length, the first code of the next length being the last one plus one,
// shifted to that length.
void assign_huffman_codes(std::vector<HuffCodeEntry>& code_list);

// 0, or -1 after a warning when one of the first n codes is all 1 bits (the
// fill bits at the end of a block would then decode as that symbol).
int32_t check_all_ones_codes(const std::vector<HuffCodeEntry>& code_list, int32_t last_size);

// Symbol-indexed table for the encoder: `max_huffcounts` + 1 entries, the
// code of values[k] at position values[k]; symbols without a code have size 0.
int32_t build_huffcode_table(std::vector<HuffCodeEntry>& table,
                             const std::vector<HuffCodeEntry>& code_list, int32_t last_size,
                             const uint8_t* huffvalues, int32_t max_huffcounts);
