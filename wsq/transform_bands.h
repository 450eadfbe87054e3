#pragma once
// Band versions of the line kernels: the cursor walk of a line depends only
// on its length and the filters, so it is made once per output and applied
// to a whole band of parallel lines, a vector of lines at a time where they
// are neighbours in memory. Results are identical to analyse_lines and
// synthesise_lines, which remain the reference.
//
// The kernels exist once per instruction set (SSE2 with 4 lines a vector,
// AVX2 with 8, AVX-512 with 16); the widest one the processor runs is chosen
// at first use, and the rest of the codec never knows which.
#include <cstdint>
#include <vector>

#include "wsq/transform_lines.h"

void analyse_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

void synthesise_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

using BandKernel = void (*)(float* destination, LineLayout to, const float* source,
                            LineLayout from, int32_t lines, int32_t length,
                            const FilterPair& filters, int32_t invert);

struct BandKernels {
  const char* name;
  BandKernel analyse;
  BandKernel synthesise;
};

// Every kernel set this processor can run, narrowest first (for tests).
const std::vector<BandKernels>& runnable_band_kernels();

// The set analyse_bands and synthesise_bands use.
const BandKernels& band_kernels();
