#include "wsq/plan_stretch.h"

#include <cstddef>

#include "wsq/line_plan.h"

namespace {

// Where an output of the long line comes from: an output of the short line
// and how many repeats on its samples are read.
struct Source {
  int32_t output = 0;
  int32_t shift = 0;
};

// Where each output of a group of the long line comes from: the head as it
// is, then repeats of the period before the middle, then the tail moved on
// by every repeat.
void add_sources(std::vector<Source>& sources, const PlanStretch::Outputs& g, int32_t repeats) {
  const int32_t middle = (g.count_short / 2) / g.period * g.period;
  Source* to = sources.data() + g.first_long;
  for (int32_t k = 0; k < middle; ++k) *to++ = {g.first_short + k, 0};
  for (int32_t shift = 1; shift <= repeats; ++shift) {
    for (int32_t k = middle - g.period; k < middle; ++k) *to++ = {g.first_short + k, shift};
  }
  for (int32_t k = middle; k < g.count_short; ++k) *to++ = {g.first_short + k, repeats};
}

// For every tap of the short plan, the sample it reads in the long line
// before any repeat, and how far that moves per repeat.
struct MovedTaps {
  std::vector<int32_t> base;
  std::vector<int32_t> step;
};

MovedTaps moved_taps(const LinePlan& short_plan, const std::vector<PlanStretch::Inputs>& inputs) {
  MovedTaps moved;
  moved.base = short_plan.index;  // a sample in no part stays as it is
  moved.step.assign(short_plan.index.size(), 0);
  for (std::size_t t = 0; t < short_plan.index.size(); ++t) {
    for (const PlanStretch::Inputs& part : inputs) {
      const int32_t offset = short_plan.index[t] - part.first_short;
      if (offset >= 0 && offset < part.count_short) {
        moved.base[t] = part.first_long + offset;
        moved.step[t] = part.step;
        break;
      }
    }
  }
  return moved;
}

}  // namespace

LinePlan stretch_plan(const LinePlan& short_plan, const PlanStretch& stretch) {
  std::vector<Source> sources(static_cast<std::size_t>(stretch.length_long));
  for (const PlanStretch::Outputs& g : stretch.outputs) add_sources(sources, g, stretch.repeats);
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
  return plan;
}
