#pragma once
// The plan of a whole line: the walk of a line with symmetric extension
// depends only on its length, the filters and the inversion flag, so it is
// made once and then applied to any number of lines. For every output sample
// the plan says how its sum starts and which source samples it adds, with
// which coefficients, in the order the line kernels add them.
#include <cstdint>
#include <vector>

#include "wsq/row_layout.h"
#include "wsq/transform_lines.h"

struct LinePlan {
  // How the sum of an output starts: the output is left as it is, starts
  // with its first product, starts from 0 (every product is added to 0.0f),
  // or is added to what the destination holds.
  enum class Start : uint8_t { kUntouched, kFirstProduct, kZero, kTarget };

  struct Output {
    Start start = Start::kUntouched;
    int32_t first = 0;  // into index and coefficient
    int32_t taps = 0;
  };

  std::vector<Output> outputs;  // one per sample of the line
  std::vector<int32_t> index;   // source sample of each tap
  std::vector<float> coefficient;
  RowLayout rows;  // how the along-row kernel works it out
};

// What a plan is made for: filtering lines side by side needs its outputs
// and taps alone; filtering along rows also needs its row layout.
enum class PlanUse { kColumns, kRowsAndColumns };

// The plans of analyse_lines and synthesise_lines for lines of `length`.
// A long line's plan is stretched from that of a shorter line.
LinePlan analysis_plan(int32_t length, const FilterPair& filters, int32_t invert, PlanUse use);
LinePlan synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert, PlanUse use);

// The same plans for every use.
LinePlan analysis_plan(int32_t length, const FilterPair& filters, int32_t invert);
LinePlan synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert);

// Outputs [begin, end) of a plan.
struct OutputRange {
  int32_t begin = 0;
  int32_t end = 0;
};

// The longest run of outputs that may be written straight over the samples
// of their own line, in order, once every other output is made elsewhere:
// none of them reads a sample that one before it in the run overwrote, and
// none adds to what the line holds.
OutputRange in_place_outputs(const LinePlan& plan);

// Plans of lines longer than this are stretched from a line of about this
// length (one sample more where the parity differs).
int32_t shortest_stretched_line(const FilterPair& filters);

// The same plans made by walking every sample of the line: the reference
// the stretched plans are checked against.
LinePlan walked_analysis_plan(int32_t length, const FilterPair& filters, int32_t invert);
LinePlan walked_synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert);
