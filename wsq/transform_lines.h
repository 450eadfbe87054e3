#pragma once
// The one-dimensional filter kernels behind analysis_lines and
// synthesis_lines, with separate layouts for source and destination so that
// the 2-D transform can filter a band of lines into a small scratch area.
#include <cstdint>

// Where a set of lines lives: `pitch` between line starts, `stride` between
// the samples of one line.
struct LineLayout {
  int32_t pitch = 0;
  int32_t stride = 0;
};

// A filter pair as the transform uses it.
struct FilterPair {
  const float* hi = nullptr;
  int32_t hsize = 0;
  const float* lo = nullptr;
  int32_t lsize = 0;
};

void analyse_lines(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

void synthesise_lines(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);
