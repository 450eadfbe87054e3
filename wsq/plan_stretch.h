#pragma once
// Stretches the plan of a short line to a longer line of the same parity.
// Away from the ends of a line its outputs repeat: every `period` outputs
// on, the same coefficients read every sample one step further on. Only the
// ends see the symmetric extension, and what they read depends on the
// distance to their end alone. So the plan of a long line is the short
// line's head, as many repeats of its middle as the extra length needs, and
// its tail moved on, which costs a copy instead of a walk of every sample.
#include <cstdint>
#include <vector>

struct LinePlan;

struct PlanStretch {
  // Outputs that repeat every `period` outputs: `count` of them from
  // `first`, in the short line and in the long one.
  struct Outputs {
    int32_t first_short = 0;
    int32_t first_long = 0;
    int32_t count_short = 0;
    int32_t period = 1;
  };

  // Samples a plan reads that move on by `step` per repeat: `count` of them
  // from `first` in the short line, from `first_long` in the long one.
  struct Inputs {
    int32_t first_short = 0;
    int32_t first_long = 0;
    int32_t count_short = 0;
    int32_t step = 1;
  };

  std::vector<Outputs> outputs;  // together they hold every output
  std::vector<Inputs> inputs;    // together they hold every sample
  int32_t repeats = 0;           // added to each group of outputs
  int32_t length_long = 0;
};

// The plan of the long line from that of the short one. The middle of each
// group of outputs in `short_plan` must be far enough from both ends of the
// line that no tap there reflects.
LinePlan stretch_plan(const LinePlan& short_plan, const PlanStretch& stretch);
