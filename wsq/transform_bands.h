#pragma once
// Fast versions of the line kernels. A line's plan (see line_plan.h) is
// applied either across a band of parallel lines, a vector of lines at a
// time where they are neighbours in memory (the columns of the plane), or
// along each line, a vector of outputs at a time over the plan's runs (its
// rows). Results are identical to analyse_lines and synthesise_lines, which
// remain the reference.
//
// The kernels exist once per instruction set (SSE2 with 4 lanes a vector,
// AVX2 with 8, AVX-512 with 16); the widest one the processor runs is chosen
// at first use, and the rest of the codec never knows which.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "wsq/line_plan.h"
#include "wsq/transform_lines.h"

// Applies `plan` to `lines` lines of `source`, writing `destination`, for
// the plan's `outputs` in order. `destination` may be `source` where no
// later output reads what an earlier one overwrites (see in_place_outputs).
void apply_line_plan(float* destination, LineLayout to, const float* source, LineLayout from,
                     int32_t lines, const LinePlan& plan, OutputRange outputs);

// Applies `plan` in place to a band of `lines` neighbouring columns of a
// plane `width` samples wide. The outputs outside `in_place` (see
// in_place_outputs) are made first, into `scratch` (lines x plan length
// floats); those of `in_place` then go straight into the plane, and the
// others are copied back after them. Outputs the plan leaves untouched
// keep what the plane holds.
void apply_line_plan_to_columns(float* columns, int32_t width, int32_t lines, const LinePlan& plan,
                                OutputRange in_place, float* scratch);

// Applies `plan` to `lines` rows of samples side by side, `from_pitch`
// apart in `source`, writing rows `to_pitch` apart in `destination`, which
// may be `source` itself: each row is read whole before it is written. Goes
// through `scratch` (row_scratch_size floats).
void apply_line_plan_to_rows(float* destination, int32_t to_pitch, const float* source,
                             int32_t from_pitch, int32_t lines, const LinePlan& plan,
                             float* scratch);

// analysis_plan or synthesis_plan made and applied in one call.

void analyse_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

void synthesise_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert);

using BandKernel = void (*)(float* destination, LineLayout to, const float* source, LineLayout from,
                            int32_t lines, int32_t length, const FilterPair& filters,
                            int32_t invert);

using PlanKernel = void (*)(float* destination, LineLayout to, const float* source, LineLayout from,
                            int32_t lines, const LinePlan& plan, OutputRange outputs);

using RowKernel = void (*)(float* destination, int32_t to_pitch, const float* source,
                           int32_t from_pitch, int32_t lines, const LinePlan& plan, float* scratch);

struct BandKernels {
  const char* name;
  PlanKernel apply;
  RowKernel rows;
  BandKernel analyse;
  BandKernel synthesise;
};

// Every kernel set this processor can run, narrowest first (for tests).
const std::vector<BandKernels>& runnable_band_kernels();

// The set analyse_bands and synthesise_bands use.
const BandKernels& band_kernels();
