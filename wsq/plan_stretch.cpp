#include "wsq/plan_stretch.h"

#include <algorithm>
#include <cstddef>

#include "wsq/line_plan.h"

namespace {

// Where an output of the long line comes from: an output of the short line
// and how many repeats on its samples are read. A repeat after the first is
// copied from the repeat before it.
struct Source {
  int32_t output = 0;
  int32_t shift = 0;
  bool copied = false;
};

// Outputs of a group before its middle, which the repeats follow.
int32_t middle_of(const PlanStretch::Part& g) {
  return (g.count_short / 2) / g.per_repeat * g.per_repeat;
}

// Where each output of a group of the long line comes from: the head as it
// is, then repeats of the period before the middle, then the tail moved on
// by every repeat.
void add_sources(std::vector<Source>& sources, const PlanStretch::Part& g, int32_t repeats) {
  const int32_t middle = middle_of(g);
  Source* to = sources.data() + g.first_long;
  for (int32_t k = 0; k < middle; ++k) *to++ = {g.first_short + k, 0, false};
  for (int32_t shift = 1; shift <= repeats; ++shift) {
    for (int32_t k = middle - g.per_repeat; k < middle; ++k) {
      *to++ = {g.first_short + k, shift, shift > 1};
    }
  }
  for (int32_t k = middle; k < g.count_short; ++k) *to++ = {g.first_short + k, repeats, false};
}

// For every tap of the short plan, the sample it reads in the long line
// before any repeat, and how far that moves per repeat.
struct MovedTaps {
  std::vector<int32_t> base;
  std::vector<int32_t> step;
};

MovedTaps moved_taps(const LinePlan& short_plan, const std::vector<PlanStretch::Part>& inputs) {
  MovedTaps moved;
  moved.base = short_plan.index;  // a sample in no part stays as it is
  moved.step.assign(short_plan.index.size(), 0);
  for (std::size_t t = 0; t < short_plan.index.size(); ++t) {
    for (const PlanStretch::Part& part : inputs) {
      const int32_t offset = short_plan.index[t] - part.first_short;
      if (offset >= 0 && offset < part.count_short) {
        moved.base[t] = part.first_long + offset;
        moved.step[t] = part.per_repeat;
        break;
      }
    }
  }
  return moved;
}

// The taps of a group's repeats after the first, a period of outputs at a
// time: the samples of the period before, moved on by one repeat.
void copy_repeats(LinePlan& plan, const LinePlan& short_plan, const MovedTaps& moved,
                  const PlanStretch::Part& g, int32_t repeats) {
  const int32_t middle = middle_of(g);
  const int32_t source = short_plan.outputs[g.first_short + middle - g.per_repeat].first;
  const int32_t taps = short_plan.outputs[g.first_short + middle].first - source;
  const int32_t* step = moved.step.data() + source;
  const float* coefficient = short_plan.coefficient.data() + source;
  for (int32_t shift = 2; shift <= repeats; ++shift) {
    const int32_t at = plan.outputs[g.first_long + middle + (shift - 1) * g.per_repeat].first;
    int32_t* index = plan.index.data() + at;
    const int32_t* before = index - taps;
    for (int32_t t = 0; t < taps; ++t) index[t] = before[t] + step[t];
    std::copy_n(coefficient, taps, plan.coefficient.data() + at);
  }
}

}  // namespace

LinePlan stretch_plan(const LinePlan& short_plan, const PlanStretch& stretch) {
  std::vector<Source> sources(static_cast<std::size_t>(stretch.length_long));
  for (const PlanStretch::Part& g : stretch.outputs) add_sources(sources, g, stretch.repeats);
  LinePlan plan;
  plan.outputs.resize(sources.size());
  int32_t total = 0;
  for (std::size_t p = 0; p < sources.size(); ++p) {
    const LinePlan::Output& from = short_plan.outputs[sources[p].output];
    plan.outputs[p] = {from.start, total, from.taps};
    total += from.taps;
  }
  plan.index.resize(total);
  plan.coefficient.resize(total);
  const MovedTaps moved = moved_taps(short_plan, stretch.inputs);
  for (std::size_t p = 0; p < sources.size(); ++p) {
    if (sources[p].copied) continue;
    const LinePlan::Output& from = short_plan.outputs[sources[p].output];
    const int32_t shift = sources[p].shift;
    const int32_t* base = moved.base.data() + from.first;
    const int32_t* step = moved.step.data() + from.first;
    const float* taken = short_plan.coefficient.data() + from.first;
    int32_t* index = plan.index.data() + plan.outputs[p].first;
    float* coefficient = plan.coefficient.data() + plan.outputs[p].first;
    for (int32_t t = 0; t < from.taps; ++t) {
      index[t] = base[t] + shift * step[t];
      coefficient[t] = taken[t];
    }
  }
  for (const PlanStretch::Part& g : stretch.outputs) {
    copy_repeats(plan, short_plan, moved, g, stretch.repeats);
  }
  return plan;
}
