// Fuzzes the block data decoder: the input is what follows a frame header
// (table segments, block headers, coded data, EOI). The decoder must never
// write past the coefficient array nor read past the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wsq/diagnostics.h"
#include "wsq/huffman_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  ScopedDiagnostics quiet([](std::string_view) {});
  constexpr int32_t kCapacity = 4096;
  std::vector<int16_t> coefficients(kCapacity);
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  BitReaderState state;
  const uint8_t* cursor = data;
  const uint8_t* end = data + size;
  huffman_decode_data_mem(coefficients.data(), kCapacity, transform, quant, huffman, state,
                          cursor, end);
  if (cursor < data || cursor > end) std::abort();
  return 0;
}
