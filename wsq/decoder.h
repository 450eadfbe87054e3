#pragma once
// The WSQ decoder: a whole codestream in memory to an 8-bit grey image.
#include <cstdint>
#include <vector>

#include "wsq/bit_stream.h"
#include "wsq/tables.h"

// A decoder context. Its table state outlives a decode: a codestream without
// a DTT or DQT segment is decoded with the filters or bin widths that this
// context read last, while the Huffman slots are cleared at the start of
// every decode. Separate contexts may decode on separate threads.
struct WsqDecoder {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  FrameHeader frame;
  BitReaderState bits;
  // Frames of more pixels are refused before anything is allocated.
  uint64_t max_pixels = 100'000'000;
  // Threads one decode may use, the caller's own included (values below 1
  // count as 1, values above kMaxCodecThreads as that). The decoded pixels
  // are the same for every count.
  int32_t threads = 1;
};

// Smallest width and height the wavelet decomposition can rebuild.
inline constexpr int32_t kMinDecodeSide = 65;

// Decodes `length` bytes at `codestream`. On success stores the grey pixels
// (top row first), width, height, depth 8, the NISTCOM resolution (or -1) and
// the lossy flag 1, and returns 0; on failure returns a negative code and
// leaves every output untouched.
int32_t wsq_decode_mem(WsqDecoder& decoder, std::vector<uint8_t>& pixels, int32_t& width,
                       int32_t& height, int32_t& depth, int32_t& ppi, int32_t& lossy,
                       const uint8_t* codestream, int32_t length);

// The PPI entry of the codestream's NISTCOM comment: -1 when there is no
// NISTCOM comment or the entry has no value; fails with -2 when the comment
// has no PPI entry.
int32_t lookup_nistcom_ppi(int32_t& ppi, const uint8_t* codestream, int32_t length);
