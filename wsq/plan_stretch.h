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
  // Outputs or samples of the line that grow by `per_repeat` with every
  // repeat: `count_short` of them from `first_short` in the short line,
  // from `first_long` in the long one. A group of outputs repeats every
  // `per_repeat` outputs; the samples of a part move on by `per_repeat`.
  struct Part {
    int32_t first_short = 0;
    int32_t first_long = 0;
    int32_t count_short = 0;
    int32_t per_repeat = 1;
  };

  std::vector<Part> outputs;  // together they hold every output
  std::vector<Part> inputs;   // together they hold every sample
  int32_t repeats = 0;        // added to each group of outputs
  int32_t length_long = 0;
};

// The plan of the long line from that of the short one. The middle of each
// group of outputs in `short_plan` must be far enough from both ends of the
// line that no tap there reflects.
LinePlan stretch_plan(const LinePlan& short_plan, const PlanStretch& stretch);
