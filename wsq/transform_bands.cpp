#include "wsq/transform_bands.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "wsq/instruction_sets.h"
#include "wsq/transform_walk.h"

// The vector helpers below are only ever inlined into the entry point of
// their own instruction set, so the ABI note about wide vectors does not apply.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

// Vectors whose accumulators are held at once, so that the additions of
// several outputs overlap.
constexpr int32_t kGroupVectors = 4;

// kLanes neighbouring lines in one vector: 4 (SSE2, every x86-64), 8 (AVX2)
// or 16 (AVX-512).
template <int kLanes>
struct Vector {
  typedef float Lanes __attribute__((vector_size(4 * kLanes)));

  static Lanes load(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  static void store(float* p, Lanes v) { std::memcpy(p, &v, sizeof v); }
};

// Applies a plan to `lines` parallel lines, one output at a time across all
// of them. Every line gets the same operations in the same order, whether
// it is computed alone or in a vector.
template <int kLanes>
class PlanBand {
 public:
  PlanBand(float* out, LineLayout to, const float* in, LineLayout from, int32_t lines,
           const LinePlan& plan, OutputRange outputs)
      : out_(out),
        to_(to),
        in_(in),
        from_(from),
        lines_(lines),
        plan_(plan),
        outputs_(outputs),
        lead_(aligning_lead()) {}

  void run() const {
    const std::size_t n = plan_.outputs.size();
    const std::size_t end = std::min(n, static_cast<std::size_t>(std::max(outputs_.end, 0)));
    for (std::size_t p = static_cast<std::size_t>(std::max(outputs_.begin, 0)); p < end; ++p) {
      if (from_.pitch == 1 && p + kAhead < n) prefetch(plan_.outputs[p + kAhead]);
      const LinePlan::Output& o = plan_.outputs[p];
      if (o.start == LinePlan::Start::kUntouched) continue;
      output(o, out_ + static_cast<std::ptrdiff_t>(p) * to_.stride);
    }
  }

 private:
  using V = Vector<kLanes>;
  using Lanes = typename V::Lanes;
  static constexpr int32_t kVectors = kGroupVectors;
  static constexpr int32_t kGroup = kGroupVectors * kLanes;
  // Outputs ahead whose samples are fetched into the cache: lines of a
  // band lie a row apart in the plane, too far for the processor to see
  // the pattern.
  static constexpr std::size_t kAhead = 6;

  void prefetch(const LinePlan::Output& o) const {
    for (int32_t t = 0; t < o.taps; ++t) {
      const float* at = sample_at(plan_.index[o.first + t], 0);
      for (int32_t j = 0; j < lines_; j += 16) __builtin_prefetch(at + j);
    }
  }

  void output(const LinePlan::Output& o, float* out) const {
    const int32_t* index = plan_.index.data() + o.first;
    const float* coefficient = plan_.coefficient.data() + o.first;
    if (from_.pitch != 1 || to_.pitch != 1) {
      for (int32_t j = 0; j < lines_; ++j) line(o, index, coefficient, out, j);
      return;
    }
    narrow(o, index, coefficient, out, 0, lead_);
    int32_t j = lead_;
    for (; j + kGroup <= lines_; j += kGroup) group(o, index, coefficient, out, j);
    for (; j + kLanes <= lines_; j += kLanes) lanes<kLanes>(o, index, coefficient, out, j);
    narrow(o, index, coefficient, out, j, lines_);
  }

  // Lines [j, end), fewer than kLanes, in narrower vectors and then one at
  // a time, never in a vector that overlaps lines already written: the
  // destination may be the source.
  void narrow(const LinePlan::Output& o, const int32_t* index, const float* coefficient, float* out,
              int32_t j, int32_t end) const {
    if constexpr (kLanes >= 16) {
      if (j + 8 <= end) {
        lanes<8>(o, index, coefficient, out, j);
        j += 8;
      }
    }
    if constexpr (kLanes >= 8) {
      if (j + 4 <= end) {
        lanes<4>(o, index, coefficient, out, j);
        j += 4;
      }
    }
    for (; j < end; ++j) line(o, index, coefficient, out, j);
  }

  // The lines before the first whose samples start a whole vector in
  // memory, where the lines of every sample row are aligned alike: a load
  // that straddles two cache lines costs several times one that does not.
  int32_t aligning_lead() const {
    if (from_.pitch != 1 || from_.stride % kLanes != 0) return 0;
    const auto at = reinterpret_cast<std::uintptr_t>(in_) / sizeof(float);
    const auto lead = static_cast<int32_t>((kLanes - at % kLanes) % kLanes);
    return lead < lines_ ? lead : 0;
  }

  const float* sample_at(int32_t index, int32_t line) const {
    return in_ + static_cast<std::ptrdiff_t>(index) * from_.stride +
           static_cast<std::ptrdiff_t>(line) * from_.pitch;
  }

  void line(const LinePlan::Output& o, const int32_t* index, const float* coefficient, float* out,
            int32_t j) const {
    float& target = out[static_cast<std::ptrdiff_t>(j) * to_.pitch];
    int32_t t = 0;
    float acc = 0.0f;
    if (o.start == LinePlan::Start::kTarget) {
      acc = target;
    } else if (o.start == LinePlan::Start::kFirstProduct) {
      acc = coefficient[0] * *sample_at(index[0], j);
      t = 1;
    }
    for (; t < o.taps; ++t) acc = acc + coefficient[t] * *sample_at(index[t], j);
    target = acc;
  }

  // kWidth neighbouring lines at once, with the same operations in the same
  // order as line().
  template <int kWidth>
  void lanes(const LinePlan::Output& o, const int32_t* index, const float* coefficient, float* out,
             int32_t j) const {
    using W = Vector<kWidth>;
    float* target = out + j;
    int32_t t = 0;
    typename W::Lanes acc{};
    if (o.start == LinePlan::Start::kTarget) {
      acc = W::load(target);
    } else if (o.start == LinePlan::Start::kFirstProduct) {
      acc = coefficient[0] * W::load(sample_at(index[0], j));
      t = 1;
    }
    for (; t < o.taps; ++t) acc = acc + coefficient[t] * W::load(sample_at(index[t], j));
    W::store(target, acc);
  }

  // kGroup neighbouring lines with every accumulator held at once, taps
  // outermost: each line still sums its taps in plan order.
  void group(const LinePlan::Output& o, const int32_t* index, const float* coefficient, float* out,
             int32_t j) const {
    float* target = out + j;
    Lanes acc[kVectors];
    int32_t t = 0;
    if (o.start == LinePlan::Start::kTarget) {
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = V::load(target + v * kLanes);
    } else if (o.start == LinePlan::Start::kFirstProduct) {
      const float* in = sample_at(index[0], j);
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = coefficient[0] * V::load(in + v * kLanes);
      t = 1;
    } else {
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = Lanes{};
    }
    for (; t < o.taps; ++t) {
      const float c = coefficient[t];
      const float* in = sample_at(index[t], j);
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = acc[v] + c * V::load(in + v * kLanes);
    }
#pragma GCC unroll 16
    for (int32_t v = 0; v < kVectors; ++v) V::store(target + v * kLanes, acc[v]);
  }

  float* out_;
  LineLayout to_;
  const float* in_;
  LineLayout from_;
  int32_t lines_;
  const LinePlan& plan_;
  OutputRange outputs_;
  int32_t lead_;  // lines before the first aligned vector
};

// Splits 2 kLanes samples into the even ones (a0 a2 ... b0 b2 ...) and the
// odd ones.
template <int kLanes, std::size_t... I>
inline void store_split(float* even, float* odd, typename Vector<kLanes>::Lanes a,
                        typename Vector<kLanes>::Lanes b, std::index_sequence<I...>) {
  Vector<kLanes>::store(even, __builtin_shufflevector(a, b, (2 * I)...));
  Vector<kLanes>::store(odd, __builtin_shufflevector(a, b, (2 * I + 1)...));
}

// Copies samples 0, 2, 4, ... of `count` to `even` and 1, 3, ... to `odd`.
template <int kLanes>
inline void split_samples(float* even, float* odd, const float* in, int32_t count) {
  using V = Vector<kLanes>;
  int32_t j = 0;
  for (; 2 * (j + kLanes) <= count; j += kLanes) {
    store_split<kLanes>(even + j, odd + j, V::load(in + 2 * j), V::load(in + 2 * j + kLanes),
                        std::make_index_sequence<kLanes>());
  }
  for (; 2 * j + 1 < count; ++j) {
    even[j] = in[2 * j];
    odd[j] = in[2 * j + 1];
  }
  if (2 * j < count) even[j] = in[2 * j];
}

// Interleaves two vectors: a0 b0 a1 b1 ... into `out` (2 kLanes samples).
template <int kLanes>
inline void store_interleaved(float* out, typename Vector<kLanes>::Lanes a,
                              typename Vector<kLanes>::Lanes b) {
  using V = Vector<kLanes>;
  if constexpr (kLanes == 4) {
    V::store(out, __builtin_shufflevector(a, b, 0, 4, 1, 5));
    V::store(out + 4, __builtin_shufflevector(a, b, 2, 6, 3, 7));
  } else if constexpr (kLanes == 8) {
    V::store(out, __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11));
    V::store(out + 8, __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15));
  } else {
    V::store(out,
             __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    V::store(out + 16, __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29,
                                               14, 30, 15, 31));
  }
}

// The vector kShift samples on from the start of `a`, cut out of `a` and
// the vector `b` that follows it in memory.
template <int kLanes, int kShift, std::size_t... I>
inline typename Vector<kLanes>::Lanes shifted(typename Vector<kLanes>::Lanes a,
                                              typename Vector<kLanes>::Lanes b,
                                              std::index_sequence<I...>) {
  return __builtin_shufflevector(a, b, (kShift + static_cast<int>(I))...);
}

// Every vector 0, 1, ... sizeof...(D) - 1 samples on from the start of `a`.
template <int kLanes, std::size_t... D>
inline void cut_windows(typename Vector<kLanes>::Lanes* windows, typename Vector<kLanes>::Lanes a,
                        typename Vector<kLanes>::Lanes b, std::index_sequence<D...>) {
  ((windows[D] = shifted<kLanes, static_cast<int>(D)>(a, b, std::make_index_sequence<kLanes>())),
   ...);
}

// How the taps of the two runs of a row lie for the codec's own filter pair,
// as windows of two segments: tap t of run x reads window(x, t), which is
// segment window / kWindows from sample window % kWindows of the pair's
// base on. An analysis (9 low-pass and 7 high-pass taps) reads the even and
// the odd samples by turns, its high-pass outputs one sample further on
// than its low-pass ones. A synthesis (the 7 and 9 taps a codestream
// declares for it) reads the low-pass half, then the high-pass one, its odd
// outputs one more sample of each.
struct LowThenHigh {
  static constexpr int kWindows = 5;
  static constexpr int kTaps[2] = {9, 7};
  static constexpr int window(int x, int t) { return t % 2 * kWindows + t / 2 + x; }
};

struct HighThenLow {
  static constexpr int kWindows = 5;
  static constexpr int kTaps[2] = {7, 9};
  static constexpr int window(int x, int t) { return LowThenHigh::window(1 - x, t); }
};

struct EvenAndOdd {
  static constexpr int kWindows = 5;
  static constexpr int kTaps[2] = {7, 9};
  static constexpr int window(int x, int t) {
    const int low = 3 + x;  // taps in the low-pass half
    return t < low ? t : kWindows + t - low;
  }
};

// Every pattern the row kernel knows.
using Patterns = std::tuple<LowThenHigh, HighThenLow, EvenAndOdd>;
constexpr auto kEveryPattern = std::make_index_sequence<std::tuple_size_v<Patterns>>();

// Applies a plan along rows (samples side by side), in place, as its row
// layout says (see row_layout.h): each row is copied to scratch, the runs
// are worked out a vector of outputs at a time, the rest one output at a
// time. The two runs of a line, the low and the high outputs of an analysis
// or the even and the odd ones of a synthesis (interleaved), are worked out
// side by side: their taps read the same few vectors of each segment, cut
// once out of whole vectors loaded from cache lines. Every output sums its
// taps in plan order, as line() does.
template <int kLanes>
class RowPlan {
 public:
  RowPlan(const LinePlan& plan, float* scratch)
      : plan_(plan),
        layout_(plan.rows),
        scratch_(scratch),
        pair_(paired_runs()),
        split_(even_and_odd()) {
    // The scratch stays where it is from row to row, and so do the taps.
    for (const RowLayout::Run& r : layout_.runs) runs_.push_back(run_taps(r, 0));
    if (pair_.outputs > 0) {
      for (int32_t x = 0; x < 2; ++x) pair_taps_[x] = run_taps(*pair_.run[x], pair_.from[x]);
      windows_ = pair_windows();
    }
    pattern_ = pattern(kEveryPattern);
  }

  // Filters row `in` into `row`, which may be `in` itself.
  void run(const float* in, float* row) const {
    if (split_) {
      const RowLayout::Segment* s = layout_.segments.data();
      split_samples<kLanes>(scratch_ + s[0].at, scratch_ + s[1].at, in, s[0].count + s[1].count);
    } else {
      copy_segments(in);
    }
    for (int32_t p : layout_.untouched) row[p] = in[p];
    for (const RowLayout::Margin& m : layout_.margins) scratch_[m.to] = scratch_[m.from];
    if (pair_.outputs == 0) {
      for (std::size_t r = 0; r < runs_.size(); ++r) run_alone(row, layout_.runs[r], runs_[r]);
    } else if (!run_pattern(row, kEveryPattern)) {
      run_pair(row, [&](int32_t k, auto& a, auto& b) {
        vectors(pair_taps_[0], k, a);
        vectors(pair_taps_[1], k, b);
      });
    }
    for (int32_t p : layout_.singles) row[p] = single(p);
  }

 private:
  using V = Vector<kLanes>;
  using Lanes = typename V::Lanes;

  // Whether the segments are the even and the odd samples of the row.
  bool even_and_odd() const {
    const std::vector<RowLayout::Segment>& s = layout_.segments;
    return s.size() == 2 && s[0].step == 2 && s[1].step == 2 && s[0].source == 0 &&
           s[1].source == 1 && s[0].count == s[1].count + (s[0].count + s[1].count) % 2;
  }

  void copy_segments(const float* row) const {
    for (const RowLayout::Segment& s : layout_.segments) {
      float* to = scratch_ + s.at;
      const float* from = row + s.source;
      if (s.step == 1) {
        std::copy_n(from, s.count, to);
      } else {
        for (int32_t i = 0; i < s.count; ++i) to[i] = from[i * s.step];
      }
    }
  }

  // The two runs of a line worked out together, for `outputs` outputs of
  // each (at least kLanes) from their outputs `from`. The pair's output k
  // of run x goes to row[out[x] + k], or, interleaved, run 0's to
  // row[out[0] + 2 k] and run 1's just after it.
  struct Pair {
    const RowLayout::Run* run[2] = {nullptr, nullptr};
    int32_t from[2] = {0, 0};
    int32_t out[2] = {0, 0};
    int32_t outputs = 0;
    bool interleaved = false;
  };

  Pair paired_runs() const {
    if (layout_.runs.size() != 2) return {};
    const RowLayout::Run* a = &layout_.runs[0];
    const RowLayout::Run* b = &layout_.runs[1];
    Pair pair;
    if (layout_.step == 1) {
      pair = {{a, b}, {0, 0}, {a->first, b->first}, std::min(a->count, b->count), false};
    } else if (layout_.step == 2) {
      if (a->first % 2 != 0) std::swap(a, b);
      if (a->first % 2 != 0 || b->first % 2 != 1) return {};
      const int32_t start = std::max(a->first, b->first - 1);
      const int32_t end = std::min(a->first + 2 * a->count, b->first - 1 + 2 * b->count);
      pair = {{a, b},
              {(start - a->first) / 2, (start + 1 - b->first) / 2},
              {start, start + 1},
              (end - start) / 2,
              true};
    }
    if (pair.outputs < kLanes) return {};
    return pair;
  }

  // Output p alone.
  float single(int32_t p) const {
    const LinePlan::Output& o = plan_.outputs[p];
    const int32_t* index = plan_.index.data() + o.first;
    const float* coefficient = plan_.coefficient.data() + o.first;
    const auto sample = [&](int32_t i) { return scratch_[layout_.where[i]]; };
    int32_t t = 0;
    float acc = 0.0f;
    if (o.start == LinePlan::Start::kTarget) {
      acc = sample(p);  // what the row held before the pass
    } else if (o.start == LinePlan::Start::kFirstProduct) {
      acc = coefficient[0] * sample(index[0]);
      t = 1;
    }
    for (; t < o.taps; ++t) acc = acc + coefficient[t] * sample(index[t]);
    return acc;
  }

  // The taps of a run's outputs, read from consecutive samples: tap t of
  // the output k on reads samples[position[t] + k].
  struct RunTaps {
    const float* samples;
    const int32_t* position;
    const float* coefficient;
    int32_t taps;
    bool first_product;

    const float* from(int32_t t) const { return samples + position[t]; }
  };

  // The taps of run r, from its output k on.
  RunTaps run_taps(const RowLayout::Run& r, int32_t k) const {
    const LinePlan::Output& o = plan_.outputs[r.first];
    return {scratch_ + k, layout_.positions.data() + r.position, plan_.coefficient.data() + o.first,
            o.taps, o.start == LinePlan::Start::kFirstProduct};
  }

  // Where the taps of the pair read: at the pair's output k, the vector
  // k + base[s] ... of segment s and the `count` - 1 vectors each one
  // sample further on, numbered from s * count on.
  struct Windows {
    int32_t count = 0;  // 0 where the taps are read as they lie
    int32_t base[2] = {0, 0};
  };

  Windows pair_windows() const {
    Windows w;
    int32_t last[2] = {-1, -1};
    for (const RunTaps& taps : pair_taps_) {
      for (int32_t t = 0; t < taps.taps; ++t) {
        const auto at = static_cast<int32_t>(taps.from(t) - scratch_);
        const int32_t s = segment_at(layout_, at);
        if (s < 0 || s > 1) return {};
        if (last[s] < 0 || at < w.base[s]) w.base[s] = at;
        last[s] = std::max(last[s], at);
      }
    }
    w.count = std::max(last[0] - w.base[0], last[1] - w.base[1]) + 1;
    return w;
  }

  // The window tap t of run x of the pair reads.
  int32_t window(int32_t x, int32_t t) const {
    const auto at = static_cast<int32_t>(pair_taps_[x].from(t) - scratch_);
    const int32_t s = segment_at(layout_, at);
    return s * windows_.count + at - windows_.base[s];
  }

  // The output k on from where `taps` were taken, alone.
  static float run_single(const RunTaps& taps, int32_t k) {
    int32_t t = 0;
    float acc = 0.0f;
    if (taps.first_product) {
      acc = taps.coefficient[0] * taps.from(0)[k];
      t = 1;
    }
    for (; t < taps.taps; ++t) acc = acc + taps.coefficient[t] * taps.from(t)[k];
    return acc;
  }

  // kVectors x kLanes consecutive outputs of a run, `k` outputs on from
  // where `taps` were taken; each lane sums its taps in plan order.
  template <int kVectors>
  static void vectors(const RunTaps& taps, int32_t k, Lanes (&acc)[kVectors]) {
    int32_t t = 0;
    if (taps.first_product) {
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) {
        acc[v] = taps.coefficient[0] * V::load(taps.from(0) + k + v * kLanes);
      }
      t = 1;
    } else {
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = Lanes{};
    }
    for (; t < taps.taps; ++t) {
      const float c = taps.coefficient[t];
      const float* in = taps.from(t) + k;
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = acc[v] + c * V::load(in + v * kLanes);
    }
  }

  // kVectors x kLanes outputs of run x of the pair with every tap read from
  // the windows of pattern P.
  template <class P, int x, int kVectors, std::size_t... T>
  void pattern_sums(const Lanes (&windows)[kVectors][2 * P::kWindows], Lanes (&acc)[kVectors],
                    std::index_sequence<T...>) const {
    const float* c = pair_taps_[x].coefficient;
#pragma GCC unroll 16
    for (int32_t v = 0; v < kVectors; ++v) {
      acc[v] = c[0] * windows[v][P::window(x, 0)];
      ((acc[v] = acc[v] + c[T + 1] * windows[v][P::window(x, T + 1)]), ...);
    }
  }

  // kVectors x kLanes outputs of each run of the pair, its output k on, for
  // taps laid out as pattern P says.
  template <class P, int kVectors>
  void windowed(int32_t k, Lanes (&a)[kVectors], Lanes (&b)[kVectors]) const {
    static_assert(P::kWindows <= kLanes + 1, "every window lies within two whole vectors");
    Lanes windows[kVectors][2 * P::kWindows];
#pragma GCC unroll 2
    for (int32_t s = 0; s < 2; ++s) {
      const float* at = scratch_ + windows_.base[s] + k;
      Lanes whole = V::load(at);
#pragma GCC unroll 16
      for (int32_t v = 0; v < kVectors; ++v) {
        const Lanes next = V::load(at + (v + 1) * kLanes);
        cut_windows<kLanes>(windows[v] + s * P::kWindows, whole, next,
                            std::make_index_sequence<P::kWindows>());
        whole = next;
      }
    }
    pattern_sums<P, 0>(windows, a, std::make_index_sequence<P::kTaps[0] - 1>());
    pattern_sums<P, 1>(windows, b, std::make_index_sequence<P::kTaps[1] - 1>());
  }

  // Whether the pair's taps are laid out as pattern P says.
  template <class P>
  bool matches() const {
    if (windows_.count != P::kWindows) return false;
    for (int32_t x = 0; x < 2; ++x) {
      const RunTaps& taps = pair_taps_[x];
      if (!taps.first_product || taps.taps != P::kTaps[x]) return false;
      for (int32_t t = 0; t < taps.taps; ++t) {
        if (window(x, t) != P::window(x, t)) return false;
      }
    }
    return true;
  }

  // The number of the first of Patterns the pair's taps are laid out as,
  // or -1. Vectors of 4 lanes straddle a cache line one load in four, too
  // seldom for the cutting to pay (rows were 8% slower with it).
  template <std::size_t... I>
  int32_t pattern(std::index_sequence<I...>) const {
    if (kLanes < 8 || pair_.outputs == 0 || windows_.count == 0) return -1;
    int32_t found = -1;
    ((matches<std::tuple_element_t<I, Patterns>>() && (found = I, true)) || ...);
    return found;
  }

  // The pair worked out with windows, if its taps follow one of Patterns.
  template <std::size_t... I>
  bool run_pattern(float* row, std::index_sequence<I...>) const {
    const auto run = [&]<class P>() {
      run_pair(row, [&](int32_t k, auto& a, auto& b) { windowed<P>(k, a, b); });
      return true;
    };
    return ((pattern_ == static_cast<int32_t>(I) &&
             run.template operator()<std::tuple_element_t<I, Patterns>>()) ||
            ...);
  }

  // The vector steps along `count` outputs: whole groups, then single
  // vectors, the last of them ending at `count` and so overlapping the one
  // before it (recomputing an output gives the same value). `count` is at
  // least kLanes.
  template <class Group, class One>
  static void steps(int32_t count, Group group, One one) {
    int32_t k = 0;
    for (; k + kGroupVectors * kLanes <= count; k += kGroupVectors * kLanes) group(k);
    for (; k + kLanes <= count; k += kLanes) one(k);
    if (k < count) one(count - kLanes);
  }

  void run_alone(float* row, const RowLayout::Run& r, const RunTaps& taps) const {
    const int32_t step = layout_.step;
    float* out = row + r.first;
    const auto one = [&](int32_t k) {
      Lanes acc[1];
      vectors<1>(taps, k, acc);
      if (step == 1) {
        V::store(out + k, acc[0]);
      } else {
        for (int32_t l = 0; l < kLanes; ++l) out[(k + l) * step] = acc[0][l];
      }
    };
    const auto group = [&](int32_t k) {
      if (step != 1) {
        for (int32_t v = 0; v < kGroupVectors; ++v) one(k + v * kLanes);
        return;
      }
      Lanes acc[kGroupVectors];
      vectors<kGroupVectors>(taps, k, acc);
#pragma GCC unroll 16
      for (int32_t v = 0; v < kGroupVectors; ++v) V::store(out + k + v * kLanes, acc[v]);
    };
    steps(r.count, group, one);
  }

  // The pair's outputs, `sum(k, a, b)` giving the vectors of both runs from
  // the pair's output k on, then those of either run outside the pair.
  template <class Sum>
  void run_pair(float* row, Sum sum) const {
    constexpr int32_t kHalf = kGroupVectors / 2;
    const auto store = [&](int32_t k, Lanes a, Lanes b) {
      if (pair_.interleaved) {
        store_interleaved<kLanes>(row + pair_.out[0] + 2 * k, a, b);
      } else {
        V::store(row + pair_.out[0] + k, a);
        V::store(row + pair_.out[1] + k, b);
      }
    };
    // Groups of kGroupVectors vectors: half of them of each run.
    const auto group = [&](int32_t k) {
      for (int32_t half = 0; half < 2; ++half) {
        const int32_t at = k + half * kHalf * kLanes;
        Lanes a[kHalf];
        Lanes b[kHalf];
        sum(at, a, b);
#pragma GCC unroll 16
        for (int32_t v = 0; v < kHalf; ++v) store(at + v * kLanes, a[v], b[v]);
      }
    };
    const auto one = [&](int32_t k) {
      Lanes a[1];
      Lanes b[1];
      sum(k, a, b);
      store(k, a[0], b[0]);
    };
    steps(pair_.outputs, group, one);
    for (int32_t x = 0; x < 2; ++x) {
      const RowLayout::Run& r = *pair_.run[x];
      const RunTaps& taps = runs_[static_cast<std::size_t>(&r - layout_.runs.data())];
      const int32_t done_to = std::min(r.count, pair_.from[x] + pair_.outputs);
      const auto alone = [&](int32_t j) { row[r.first + j * layout_.step] = run_single(taps, j); };
      for (int32_t j = 0; j < pair_.from[x]; ++j) alone(j);
      for (int32_t j = done_to; j < r.count; ++j) alone(j);
    }
  }

  const LinePlan& plan_;
  const RowLayout& layout_;
  float* scratch_;
  Pair pair_;
  bool split_;
  std::vector<RunTaps> runs_;  // the taps of each run from its first output
  RunTaps pair_taps_[2];       // the taps of the paired runs from the pair's start
  Windows windows_;
  int32_t pattern_ = -1;  // of the pair's taps in Patterns, -1 where they are read as they lie
};

template <int kLanes>
inline void apply_plan_rows_in(float* destination, int32_t to_pitch, const float* source,
                               int32_t from_pitch, int32_t lines, const LinePlan& plan,
                               float* scratch) {
  const RowPlan<kLanes> row_plan(plan, scratch);
  for (int32_t j = 0; j < lines; ++j) {
    row_plan.run(source + static_cast<std::ptrdiff_t>(j) * from_pitch,
                 destination + static_cast<std::ptrdiff_t>(j) * to_pitch);
  }
}

template <int kLanes>
inline void apply_plan_in(float* destination, LineLayout to, const float* source, LineLayout from,
                          int32_t lines, const LinePlan& plan, OutputRange outputs) {
  PlanBand<kLanes>(destination, to, source, from, lines, plan, outputs).run();
}

OutputRange all_outputs(const LinePlan& plan) {
  return {0, static_cast<int32_t>(plan.outputs.size())};
}

// One entry point per instruction set. `flatten` inlines the whole band
// into each, so every copy is compiled for its own target and nothing built
// for a wider one is shared with the baseline code.
#define WSQ_BAND_KERNELS(name, lanes, attributes)                                                \
  attributes void apply_plan_##name(float* destination, LineLayout to, const float* source,      \
                                    LineLayout from, int32_t lines, const LinePlan& plan,        \
                                    OutputRange outputs) {                                       \
    apply_plan_in<lanes>(destination, to, source, from, lines, plan, outputs);                   \
  }                                                                                              \
  attributes void apply_plan_rows_##name(float* destination, int32_t to_pitch,                   \
                                         const float* source, int32_t from_pitch, int32_t lines, \
                                         const LinePlan& plan, float* scratch) {                 \
    apply_plan_rows_in<lanes>(destination, to_pitch, source, from_pitch, lines, plan, scratch);  \
  }                                                                                              \
  void analyse_bands_##name(float* destination, LineLayout to, const float* source,              \
                            LineLayout from, int32_t lines, int32_t length,                      \
                            const FilterPair& filters, int32_t invert) {                         \
    const LinePlan plan = analysis_plan(length, filters, invert, PlanUse::kColumns);             \
    apply_plan_##name(destination, to, source, from, lines, plan, all_outputs(plan));            \
  }                                                                                              \
  void synthesise_bands_##name(float* destination, LineLayout to, const float* source,           \
                               LineLayout from, int32_t lines, int32_t length,                   \
                               const FilterPair& filters, int32_t invert) {                      \
    const LinePlan plan = synthesis_plan(length, filters, invert, PlanUse::kColumns);            \
    apply_plan_##name(destination, to, source, from, lines, plan, all_outputs(plan));            \
  }

WSQ_BAND_KERNELS(sse2, 4, __attribute__((flatten)))
#if defined(__x86_64__) && defined(__GNUC__)
WSQ_BAND_KERNELS(avx2, 8, __attribute__((target("avx2"), flatten)))
WSQ_BAND_KERNELS(avx512, 16, __attribute__((target("avx512f"), flatten)))
#endif
#undef WSQ_BAND_KERNELS

std::vector<BandKernels> all_band_kernels() {
  std::vector<BandKernels> sets = {
      {"sse2", apply_plan_sse2, apply_plan_rows_sse2, analyse_bands_sse2, synthesise_bands_sse2}};
#if defined(__x86_64__) && defined(__GNUC__)
  if (instruction_sets().avx2) {
    sets.push_back(
        {"avx2", apply_plan_avx2, apply_plan_rows_avx2, analyse_bands_avx2, synthesise_bands_avx2});
  }
  if (instruction_sets().avx512f) {
    sets.push_back({"avx512", apply_plan_avx512, apply_plan_rows_avx512, analyse_bands_avx512,
                    synthesise_bands_avx512});
  }
#endif
  return sets;
}

}  // namespace

const std::vector<BandKernels>& runnable_band_kernels() {
  static const std::vector<BandKernels> sets = all_band_kernels();
  return sets;
}

const BandKernels& band_kernels() {
  // The widest set the processor runs, chosen once.
  static const BandKernels& chosen = runnable_band_kernels().back();
  return chosen;
}

void apply_line_plan(float* destination, LineLayout to, const float* source, LineLayout from,
                     int32_t lines, const LinePlan& plan, OutputRange outputs) {
  band_kernels().apply(destination, to, source, from, lines, plan, outputs);
}

void apply_line_plan_to_columns(float* columns, int32_t width, int32_t lines, const LinePlan& plan,
                                OutputRange in_place, float* scratch) {
  const int32_t n = static_cast<int32_t>(plan.outputs.size());
  const LineLayout plane{1, width};
  const LineLayout scratch_lines{1, lines};
  apply_line_plan(scratch, scratch_lines, columns, plane, lines, plan, {0, in_place.begin});
  apply_line_plan(scratch, scratch_lines, columns, plane, lines, plan, {in_place.end, n});
  apply_line_plan(columns, plane, columns, plane, lines, plan, in_place);
  const auto copy_back = [&](int32_t first, int32_t end) {
    for (int32_t r = first; r < end; ++r) {
      if (plan.outputs[r].start == LinePlan::Start::kUntouched) continue;
      std::copy_n(scratch + static_cast<std::ptrdiff_t>(r) * lines, lines,
                  columns + static_cast<std::ptrdiff_t>(r) * width);
    }
  };
  copy_back(0, in_place.begin);
  copy_back(in_place.end, n);
}

void apply_line_plan_to_rows(float* destination, int32_t to_pitch, const float* source,
                             int32_t from_pitch, int32_t lines, const LinePlan& plan,
                             float* scratch) {
  band_kernels().rows(destination, to_pitch, source, from_pitch, lines, plan, scratch);
}

void analyse_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  band_kernels().analyse(destination, to, source, from, lines, length, filters, invert);
}

void synthesise_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  band_kernels().synthesise(destination, to, source, from, lines, length, filters, invert);
}
