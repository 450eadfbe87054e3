#pragma once
// Scalar quantization of the coded subbands: variance measurement, bin widths
// chosen for a bitrate, quantization to 16-bit coefficients, the sizes of the
// three coded blocks, and the decoder's unquantization.
#include <array>
#include <cstdint>
#include <vector>

#include "wsq/float_plane.h"
#include "wsq/tables.h"
#include "wsq/trees.h"
#include "wsq/worker_pool.h"

// The encoder's quantizer record; one per encode.
struct QuantizerState {
  float r = 0.0f;                                    // target bitrate, bits per pixel
  std::array<float, kSubbandRectCount> bin_width{};  // 0: subband not coded
  std::array<float, kSubbandRectCount> zero_bin_width{};
  std::array<float, kSubbandRectCount> variance{};
};

// Measures the variance of the central window of each subband 0..59. A
// window less than two samples thick that finds its subband flat is
// measured again over the whole subband in that direction. The subbands are
// shared among the threads of `pool`, if any.
void subband_variances(QuantizerState& state, const SubbandTree& subbands, const float* fdata,
                       int32_t width, int32_t height, WorkerPool* pool = nullptr);

// Chooses the bin widths for state.r and quantizes the coded subbands into a
// new `sip` (width x height entries); `count` is the number of values stored.
// Where the bitrate asks for bins finer than 16-bit coefficients can count,
// all widths are widened by one factor until the largest coefficient fits.
// The subbands are shared among the threads of `pool`, if any.
// Returns 0 or -90 (no memory).
int32_t quantize(CoefficientPlane& sip, int32_t& count, QuantizerState& state,
                 const SubbandTree& subbands, const float* fdata, int32_t width, int32_t height,
                 WorkerPool* pool = nullptr);

// One coefficient: 0 within +-half_zero, else the bin index counted from the
// zero bin, truncated toward zero and clamped to the 16-bit range.
int16_t quantize_coefficient(float c, float half_zero, float bin_width);

// Coefficient counts of block 1 (subbands 0..18), 2 (19..51) and 3 (52..59).
void coded_block_sizes(int32_t& size1, int32_t& size2, int32_t& size3, const QuantizerState& state,
                       const WaveletTree& tree, const SubbandTree& subbands);

// The same from the bin widths of subbands 0..59 (0: not coded), as a
// decoder's quantization table holds them.
void coded_block_sizes(int32_t& size1, int32_t& size2, int32_t& size3, const float* bin_widths,
                       const WaveletTree& tree, const SubbandTree& subbands);

// Rebuilds a new width x height float plane `fip` from `count` coefficients.
// The subbands are shared among the threads of `pool`, if any.
// Returns 0, -91 (no memory) or -92 (table not defined).
int32_t unquantize(FloatPlane& fip, const QuantTable& table, const SubbandTree& subbands,
                   const int16_t* sip, int32_t count, int32_t width, int32_t height,
                   WorkerPool* pool = nullptr);
