#include "wsq/row_layout.h"

#include <cstring>
#include <map>

#include "wsq/line_plan.h"

namespace {

using Output = LinePlan::Output;

bool can_run(const Output& o) {
  return o.start == LinePlan::Start::kFirstProduct || o.start == LinePlan::Start::kZero;
}

// Whether outputs p and q start alike and have the same coefficients, bit
// for bit.
bool same_shape(const LinePlan& plan, int32_t p, int32_t q) {
  const Output& a = plan.outputs[p];
  const Output& b = plan.outputs[q];
  if (a.start != b.start || a.taps != b.taps) return false;
  return std::memcmp(plan.coefficient.data() + a.first, plan.coefficient.data() + b.first,
                     sizeof(float) * static_cast<std::size_t>(a.taps)) == 0;
}

class Builder {
 public:
  Builder(const LinePlan& plan, std::vector<RowLayout::Segment> segments, int32_t step)
      : plan_(plan), n_(static_cast<int32_t>(plan.outputs.size())) {
    layout_.step = step;
    layout_.segments = std::move(segments);
    layout_.where.assign(n_, -1);
    int32_t at = 0;
    for (RowLayout::Segment& s : layout_.segments) {
      s.at = at + RowLayout::kRoom;
      for (int32_t i = 0; i < s.count; ++i) layout_.where[s.source + i * s.step] = s.at + i;
      at = s.at + s.count + RowLayout::kRoom;
    }
    copied_from_.assign(at, kFree);
    for (int32_t p = 0; p < n_; ++p) {
      if (layout_.where[p] >= 0) copied_from_[layout_.where[p]] = kSample;
    }
    in_run_.assign(n_, false);
    tap_positions_.resize(plan.index.size());
    for (std::size_t i = 0; i < plan.index.size(); ++i) {
      tap_positions_[i] = layout_.where[plan.index[i]];
    }
  }

  RowLayout build() {
    for (int32_t residue = 0; residue < layout_.step; ++residue) find_runs(residue);
    for (std::size_t r = 0; r < layout_.runs.size(); ++r) stretch(r);
    align_segments();
    for (int32_t p = 0; p < n_; ++p) {
      if (plan_.outputs[p].start == LinePlan::Start::kUntouched) {
        layout_.untouched.push_back(p);
      } else if (!in_run_[p]) {
        layout_.singles.push_back(p);
      }
    }
    return std::move(layout_);
  }

 private:
  static constexpr int32_t kFree = -1;    // room nothing is copied to yet
  static constexpr int32_t kSample = -2;  // a sample of the row

  int32_t tap_position(int32_t p, int32_t t) const {
    return tap_positions_[plan_.outputs[p].first + t];
  }

  // Whether output q sums like output p with every scratch sample one on.
  bool follows(int32_t p, int32_t q) const {
    if (!same_shape(plan_, p, q)) return false;
    const int32_t* a = tap_positions_.data() + plan_.outputs[p].first;
    const int32_t* b = tap_positions_.data() + plan_.outputs[q].first;
    int32_t apart = 0;  // not 0 once a tap of q is not one on from p's
    for (int32_t t = 0; t < plan_.outputs[p].taps; ++t) apart |= b[t] - a[t] - 1;
    return apart == 0;
  }

  void find_runs(int32_t residue) {
    const int32_t step = layout_.step;
    int32_t p = residue;
    while (p < n_) {
      int32_t count = 1;
      if (can_run(plan_.outputs[p])) {
        while (p + count * step < n_ && follows(p + (count - 1) * step, p + count * step)) {
          ++count;
        }
      }
      if (count >= RowLayout::kMinRun) add_run(p, count);
      p += count * step;
    }
  }

  void add_run(int32_t first, int32_t count) {
    const int32_t taps = plan_.outputs[first].taps;
    layout_.runs.push_back({first, count, static_cast<int32_t>(layout_.positions.size())});
    for (int32_t t = 0; t < taps; ++t) layout_.positions.push_back(tap_position(first, t));
    for (int32_t k = 0; k < count; ++k) in_run_[first + k * layout_.step] = true;
  }

  // Output p joins run r as its output at `shift` (negative before its
  // first) if each of its taps reads the run's scratch sample there, or
  // room that holds, or can be given, the sample p reads instead.
  bool join(const RowLayout::Run& r, int32_t p, int32_t shift) {
    if (p < 0 || p >= n_ || in_run_[p] || !same_shape(plan_, r.first, p)) return false;
    std::map<int32_t, int32_t> copies;
    for (int32_t t = 0; t < plan_.outputs[r.first].taps; ++t) {
      const int32_t at = layout_.positions[r.position + t] + shift;
      const int32_t from = tap_position(p, t);
      if (at == from) continue;
      if (at < 0 || at >= static_cast<int32_t>(copied_from_.size())) return false;
      const int32_t held = copied_from_[at];
      if (held == kSample || (held != kFree && held != from)) return false;
      const auto [it, added] = copies.try_emplace(at, from);
      if (!added && it->second != from) return false;
    }
    for (const auto& [at, from] : copies) {
      if (copied_from_[at] == kFree) layout_.margins.push_back({at, from});
      copied_from_[at] = from;
    }
    in_run_[p] = true;
    return true;
  }

  void stretch(std::size_t index) {
    RowLayout::Run& r = layout_.runs[index];
    const int32_t step = layout_.step;
    while (join(r, r.first - step, -1)) {
      r.first -= step;
      ++r.count;
      for (int32_t t = 0; t < plan_.outputs[r.first].taps; ++t) {
        --layout_.positions[r.position + t];
      }
    }
    while (join(r, r.first + r.count * step, r.count)) ++r.count;
  }

  // Moves each segment, with its room, so that the first sample any run
  // reads in it lands on a multiple of kAlignment. A segment moves on by at
  // least as much as the one before it, so none overlaps the next.
  void align_segments() {
    const std::size_t count = layout_.segments.size();
    std::vector<int32_t> first(count, -1);
    for (int32_t at : layout_.positions) {
      const int32_t s = segment_at(layout_, at);
      if (s >= 0 && (first[s] < 0 || at < first[s])) first[s] = at;
    }
    std::vector<int32_t> shift(count, 0);
    int32_t moved = 0;
    for (std::size_t s = 0; s < count; ++s) {
      if (first[s] >= 0) moved += (kAlign - (first[s] + moved) % kAlign) % kAlign;
      shift[s] = moved;
    }
    const auto move = [&](int32_t& at) {
      const int32_t s = segment_at(layout_, at);
      if (s >= 0) at += shift[s];
    };
    for (int32_t& at : layout_.positions) move(at);
    for (int32_t& at : layout_.where) move(at);
    for (RowLayout::Margin& m : layout_.margins) {
      move(m.to);
      move(m.from);
    }
    for (std::size_t s = 0; s < count; ++s) layout_.segments[s].at += shift[s];
  }

  static constexpr int32_t kAlign = RowLayout::kAlignment;

  const LinePlan& plan_;
  int32_t n_;
  RowLayout layout_;
  std::vector<int32_t> copied_from_;  // per scratch sample: kSample, kFree or its source
  std::vector<bool> in_run_;
  std::vector<int32_t> tap_positions_;  // scratch position of each tap of the plan
};

}  // namespace

int32_t segment_at(const RowLayout& rows, int32_t at) {
  for (std::size_t s = 0; s < rows.segments.size(); ++s) {
    const RowLayout::Segment& g = rows.segments[s];
    if (at >= g.at - RowLayout::kRoom && at < g.at + g.count + RowLayout::kRoom) {
      return static_cast<int32_t>(s);
    }
  }
  return -1;
}

RowLayout row_layout(const LinePlan& plan, std::vector<RowLayout::Segment> segments, int32_t step) {
  return Builder(plan, std::move(segments), step).build();
}
