#pragma once
// Band versions of the line kernels: the cursor walk of a line depends only
// on its length and the filters, so it is made once per output and applied
// to a whole band of parallel lines, four lines at a time where they are
// neighbours in memory. Results are identical to analyse_lines and
// synthesise_lines, which remain the reference.
#include <cstdint>

#include "wsq/transform_lines.h"

void analyse_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

void synthesise_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);
