#pragma once
// Decoding of the three Huffman-coded blocks on a pool of threads.
#include <cstdint>

#include "wsq/bit_stream.h"
#include "wsq/tables.h"
#include "wsq/trees.h"
#include "wsq/worker_pool.h"

// Does what huffman_decode_data_mem does, with the same coefficients, table
// state, bit reader state, cursor, results and diagnostics. A codestream of
// three blocks is first walked to find where each block's data lies and
// which table it uses; the blocks are then decoded side by side, each at the
// position its coefficient count (known from the quantization table) gives
// it. When anything differs from that expectation (a block of another size,
// another number of blocks, damaged data, a diagnostic), the coefficients
// are decoded one after another instead. `coefficients` (`capacity`
// entries) need not be set on entry; on success every one is, those the
// blocks do not reach to 0.
int32_t huffman_decode_blocks(int16_t* coefficients, int32_t capacity, TransformTable& transform,
                              QuantTable& quant, HuffmanTableSet& huffman,
                              BitReaderState& state, const uint8_t*& cursor, const uint8_t* end,
                              const WsqTrees& trees, WorkerPool& pool);
