#include "wsq/line_plan.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "wsq/plan_stretch.h"
#include "wsq/transform_walk.h"

namespace {

using namespace wsq_walk;

// The taps of one output as the walk finds them.
struct TapList {
  std::array<int32_t, kMaxTaps> index;
  std::array<float, kMaxTaps> coefficient;
  int32_t taps = 0;
  void add(int32_t i, float c) {
    index[taps] = i;
    coefficient[taps] = c;
    ++taps;
  }
};

// Takes the writes of a walk (assign, add or clear an output) as a log, and
// keeps for every output the sum it ends up with: the taps of its last
// assignment or clearing and of every addition after it.
class Recorder {
 public:
  // `writes` and `taps`: how many writes and taps the walk is expected to
  // make, so that the log grows at most rarely.
  Recorder(int32_t n, std::size_t writes, std::size_t taps)
      : n_(n), index_(taps), coefficient_(taps) {
    log_.reserve(writes);
  }

  // Writes the taps (indices into the half starting at sample `half`) to
  // `position`, or adds them to what it holds.
  void apply(const TapList& list, int32_t half, int32_t position, bool add) {
    if (position < 0 || position >= n_) return;
    const Write::Kind kind = add ? Write::kAdd : (list.taps > 0 ? Write::kAssign : Write::kClear);
    log_.push_back({position, kind, static_cast<int32_t>(used_), list.taps});
    if (used_ + list.taps > index_.size()) {
      index_.resize(2 * (used_ + list.taps));
      coefficient_.resize(index_.size());
    }
    int32_t* index = index_.data() + used_;
    float* coefficient = coefficient_.data() + used_;
    for (int32_t t = 0; t < list.taps; ++t) {
      index[t] = half + list.index[t];
      coefficient[t] = list.coefficient[t];
    }
    used_ += list.taps;
  }

  void clear(int32_t position) {
    if (position < 0 || position >= n_) return;
    log_.push_back({position, Write::kClear, 0, 0});
  }

  LinePlan finish() const {
    // The last assignment or clearing of each output; writes before it are
    // overwritten.
    std::vector<int32_t> last_reset(n_, kNeverWritten);
    const int32_t writes = static_cast<int32_t>(log_.size());
    for (int32_t i = 0; i < writes; ++i) {
      int32_t& reset = last_reset[log_[i].position];
      if (log_[i].kind != Write::kAdd) {
        reset = i;
      } else if (reset == kNeverWritten) {
        reset = kOnlyAdded;
      }
    }
    LinePlan plan;
    plan.outputs.resize(n_);
    for (int32_t i = 0; i < writes; ++i) {
      if (i >= last_reset[log_[i].position]) plan.outputs[log_[i].position].taps += log_[i].taps;
    }
    int32_t total = 0;
    for (int32_t p = 0; p < n_; ++p) {
      LinePlan::Output& o = plan.outputs[p];
      const int32_t reset = last_reset[p];
      o.start = reset == kNeverWritten               ? LinePlan::Start::kUntouched
                : reset == kOnlyAdded                ? LinePlan::Start::kTarget
                : log_[reset].kind == Write::kAssign ? LinePlan::Start::kFirstProduct
                                                     : LinePlan::Start::kZero;
      o.first = total;
      total += o.taps;
    }
    plan.index.resize(total);
    plan.coefficient.resize(total);
    // Each output's taps follow one another in the order they were written.
    std::vector<int32_t> next(n_);
    for (int32_t p = 0; p < n_; ++p) next[p] = plan.outputs[p].first;
    for (int32_t i = 0; i < writes; ++i) {
      const Write& w = log_[i];
      if (i < last_reset[w.position]) continue;
      const int32_t at = next[w.position];
      for (int32_t t = 0; t < w.taps; ++t) {
        plan.index[at + t] = index_[w.first + t];
        plan.coefficient[at + t] = coefficient_[w.first + t];
      }
      next[w.position] = at + w.taps;
    }
    return plan;
  }

 private:
  // last_reset of an output never written, or only added to.
  static constexpr int32_t kNeverWritten = -2;
  static constexpr int32_t kOnlyAdded = -1;

  struct Write {
    enum Kind : uint8_t { kAssign, kAdd, kClear };
    int32_t position;
    Kind kind;
    int32_t first;  // into index_ and coefficient_
    int32_t taps;
  };

  int32_t n_;
  std::vector<Write> log_;
  // The taps of every write, in its first `used_` entries.
  std::vector<int32_t> index_;
  std::vector<float> coefficient_;
  std::size_t used_ = 0;
};

// The analysis walk of analyse_line.
void analysis_taps(TapList& list, Cursor c, int32_t n, const float* taps, int32_t size) {
  list.taps = 0;
  list.add(c.index, taps[0]);
  for (int32_t t = 1; t < size; ++t) {
    move(c, n);
    list.add(c.index, taps[t]);
  }
}

void analysis_walk(Recorder& out, int32_t n, const AnalysisSetup& s, const float* hi, int32_t hsize,
                   const float* lo, int32_t lsize, int32_t invert) {
  const int32_t n_high = high_count(n);
  const int32_t n_low = low_count(n);
  const int32_t low_first = invert ? n_high : 0;
  const int32_t high_first = invert ? 0 : n_low;
  TapList list;
  Cursor lo_start{s.lo_start, -1, s.lo_left, false};
  Cursor hi_start{s.hi_start, -1, s.hi_left, false};
  for (int32_t k = 0; k < n_high; ++k) {
    analysis_taps(list, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
    out.apply(list, 0, low_first + k, false);
    analysis_taps(list, tap_cursor(hi_start, s.hi_right, n), n, hi, hsize);
    out.apply(list, 0, high_first + k, false);
    move_start(lo_start);
    move_start(lo_start);
    move_start(hi_start);
    move_start(hi_start);
  }
  if (n % 2 != 0) {
    analysis_taps(list, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
    out.apply(list, 0, low_first + n_low - 1, false);
  }
}

// The synthesis walk of LineSynthesis: a low writer assigns the low-pass
// part of each output, a high writer then adds the high-pass part.
class SynthesisWalk {
 public:
  SynthesisWalk(Recorder& out, int32_t n, const SynthesisSetup& s, const float* hi, int32_t hsize,
                const float* lo, int32_t lsize, int32_t invert)
      : out_(out),
        n_(n),
        n_high_(high_count(n)),
        n_low_(low_count(n)),
        s_(s),
        hi_(hi),
        hsize_(hsize),
        lo_(lo),
        lsize_(lsize),
        low_in_(invert ? n_high_ : 0),
        high_in_(invert ? 0 : n_low_) {
    lo_start_ = Cursor{s.lo_start, -1, s.lo_left, false};
    hi_start_ = HighCursor{Cursor{s.hi_start, -1, s.hi_left, false}, s.sign};
  }

  void run() {
    out_.clear(0);
    out_.clear(1);
    walk_synthesis(*this, n_, hsize_, s_, lo_start_, hi_start_);
  }

  // The phases walk_synthesis calls.
  void low_phase(int32_t t) {
    Cursor c = tap_cursor(lo_start_, s_.lo_right, n_low_);
    list_.taps = 0;
    if (t < lsize_) list_.add(c.index, lo_[t]);  // a one-tap filter has no odd tap
    for (int32_t i = t + 2; i < lsize_; i += 2) {
      move(c, n_low_);
      list_.add(c.index, lo_[i]);
    }
    out_.apply(list_, low_in_, low_writer_++, false);
  }

  void high_phase(int32_t t, int32_t& counter) {
    HighCursor c{tap_cursor(hi_start_.at, s_.hi_right, n_high_), hi_start_.sign};
    list_.taps = 0;
    for (int32_t i = t; i < hsize_; i += 2) {
      apply_high_rule(c, counter, n_high_, n_, s_);
      list_.add(c.at.index, hi_[i] * c.sign);
      c.at.index += c.at.step;
    }
    out_.apply(list_, high_in_, high_writer_++, true);
  }

 private:
  Recorder& out_;
  int32_t n_;
  int32_t n_high_;
  int32_t n_low_;
  const SynthesisSetup& s_;
  const float* hi_;
  int32_t hsize_;
  const float* lo_;
  int32_t lsize_;
  int32_t low_in_;
  int32_t high_in_;
  Cursor lo_start_;
  HighCursor hi_start_;
  int32_t low_writer_ = 0;
  int32_t high_writer_ = 0;
  TapList list_;
};

// What a walk over a line of n samples writes: about one write per output
// and filter (a few more at the ends), of about half the taps of the pair
// of filters per output in all.
Recorder recorder_for(int32_t n, const FilterPair& filters) {
  const std::size_t samples = static_cast<std::size_t>(std::max(n, 0));
  const std::size_t taps = static_cast<std::size_t>(std::max(filters.lsize, 0)) +
                           static_cast<std::size_t>(std::max(filters.hsize, 0));
  return Recorder(std::max(n, 0), 2 * samples + 8, (samples + 4) * taps / 2);
}

LinePlan walked_analysis(int32_t length, const FilterPair& filters, int32_t invert) {
  Recorder out = recorder_for(length, filters);
  if (length >= 2 && usable_filters(filters)) {
    const AnalysisSetup setup = analysis_setup(filters.lsize, filters.hsize);
    std::array<float, kMaxTaps> negated;
    const float* hi = prepared_hi(filters, setup.negate_hi, negated);
    analysis_walk(out, length, setup, hi, filters.hsize, filters.lo, filters.lsize, invert);
  }
  return out.finish();
}

LinePlan walked_synthesis(int32_t length, const FilterPair& filters, int32_t invert) {
  Recorder out = recorder_for(length, filters);
  if (length >= 4 && usable_filters(filters)) {
    const SynthesisSetup setup = synthesis_setup(filters.lsize, filters.hsize, length % 2 != 0);
    std::array<float, kMaxTaps> negated;
    const float* hi = prepared_hi(filters, setup.antisymmetric, negated);
    SynthesisWalk(out, length, setup, hi, filters.hsize, filters.lo, filters.lsize, invert).run();
  }
  return out.finish();
}

// Whether the outputs of a walk with this setup repeat along the line: a
// filter that starts before the line never turns at its start, so every
// output reads from the start alone.
template <class Setup>
bool outputs_repeat(const Setup& setup) {
  return setup.lo_start >= 0 && setup.hi_start >= 0;
}

// The length of the short line a plan of `length` samples is stretched
// from, or 0 where the line is walked whole.
int32_t short_length(int32_t length, const FilterPair& filters, bool repeat) {
  if (!repeat) return 0;
  int32_t shortest = shortest_stretched_line(filters);
  if ((length - shortest) % 2 != 0) ++shortest;
  return length > shortest ? shortest : 0;
}

// The low and the high half of a line, the short one's and the long one's,
// each growing by one with every repeat.
std::vector<PlanStretch::Part> halves(int32_t from, int32_t to, int32_t invert) {
  return {{invert ? high_count(from) : 0, invert ? high_count(to) : 0, low_count(from), 1},
          {invert ? 0 : low_count(from), invert ? 0 : low_count(to), high_count(from), 1}};
}

// An analysis writes the low and the high half of the outputs, one output
// per two samples read.
PlanStretch analysis_stretch(int32_t from, int32_t to, int32_t invert) {
  return {halves(from, to, invert), {{0, 0, from, 2}}, (to - from) / 2, to};
}

// A synthesis writes two outputs per sample read in each half.
PlanStretch synthesis_stretch(int32_t from, int32_t to, int32_t invert) {
  return {{{0, 0, from, 2}}, halves(from, to, invert), (to - from) / 2, to};
}

// The plan of a line of `length`: walked whole, or, where its outputs
// repeat and it is long enough, stretched from the walk of a short line.
template <class Walk, class Stretch>
LinePlan walked_or_stretched(int32_t length, const FilterPair& filters, int32_t invert, bool repeat,
                             Walk walk, Stretch stretch) {
  const int32_t from = short_length(length, filters, repeat);
  if (from == 0) return walk(length, filters, invert);
  return stretch_plan(walk(from, filters, invert), stretch(from, length, invert));
}

// Runs of neighbouring outputs read every second sample.
void add_analysis_rows(LinePlan& plan, int32_t length) {
  const int32_t n = std::max(length, 0);
  plan.rows = row_layout(plan, {{0, (n + 1) / 2, 2}, {1, n / 2, 2}}, 1);
}

// Runs of every second output read neighbouring samples of one half.
void add_synthesis_rows(LinePlan& plan, int32_t length, int32_t invert) {
  const int32_t n = std::max(length, 0);
  const int32_t low_first = invert ? high_count(n) : 0;
  const int32_t high_first = invert ? 0 : low_count(n);
  plan.rows = row_layout(plan, {{low_first, low_count(n), 1}, {high_first, high_count(n), 1}}, 2);
}

}  // namespace

int32_t shortest_stretched_line(const FilterPair& filters) {
  // Lines of half this length already have a middle that reads no
  // reflected sample, for filters of any shape; twice that is a margin.
  return 2 * (filters.lsize + filters.hsize) + 16;
}

OutputRange in_place_outputs(const LinePlan& plan) {
  const int32_t n = static_cast<int32_t>(plan.outputs.size());
  // The outputs [a, b) may go in place when none of them reads a sample in
  // [a, b) before its own: for each output, the last such sample it reads.
  // An output added to what its destination holds reads more than samples
  // and never goes in place.
  std::vector<int32_t> below(n, -1);
  for (int32_t q = 0; q < n; ++q) {
    const LinePlan::Output& o = plan.outputs[q];
    if (o.start == LinePlan::Start::kTarget) below[q] = n;
    for (int32_t t = 0; t < o.taps; ++t) {
      const int32_t i = plan.index[o.first + t];
      if (i < q) below[q] = std::max(below[q], i);
    }
  }
  // A range that holds stays valid as its start moves on, so the end of
  // the longest one from each start only ever moves on too.
  OutputRange best;
  int32_t end = 0;
  for (int32_t begin = 0; begin < n; ++begin) {
    end = std::max(end, begin);
    while (end < n && below[end] < begin) ++end;
    if (end - begin > best.end - best.begin) best = {begin, end};
  }
  return best;
}

LinePlan analysis_plan(int32_t length, const FilterPair& filters, int32_t invert, PlanUse use) {
  const bool repeat =
      usable_filters(filters) && outputs_repeat(analysis_setup(filters.lsize, filters.hsize));
  LinePlan plan =
      walked_or_stretched(length, filters, invert, repeat, walked_analysis, analysis_stretch);
  if (use == PlanUse::kRowsAndColumns) add_analysis_rows(plan, length);
  return plan;
}

LinePlan synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert, PlanUse use) {
  // The setup of either parity starts its filters alike.
  const bool repeat = usable_filters(filters) &&
                      outputs_repeat(synthesis_setup(filters.lsize, filters.hsize, false));
  LinePlan plan =
      walked_or_stretched(length, filters, invert, repeat, walked_synthesis, synthesis_stretch);
  if (use == PlanUse::kRowsAndColumns) add_synthesis_rows(plan, length, invert);
  return plan;
}

LinePlan analysis_plan(int32_t length, const FilterPair& filters, int32_t invert) {
  return analysis_plan(length, filters, invert, PlanUse::kRowsAndColumns);
}

LinePlan synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert) {
  return synthesis_plan(length, filters, invert, PlanUse::kRowsAndColumns);
}

LinePlan walked_analysis_plan(int32_t length, const FilterPair& filters, int32_t invert) {
  LinePlan plan = walked_analysis(length, filters, invert);
  add_analysis_rows(plan, length);
  return plan;
}

LinePlan walked_synthesis_plan(int32_t length, const FilterPair& filters, int32_t invert) {
  LinePlan plan = walked_synthesis(length, filters, invert);
  add_synthesis_rows(plan, length, invert);
  return plan;
}
