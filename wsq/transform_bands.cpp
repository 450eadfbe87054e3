#include "wsq/transform_bands.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "wsq/transform_walk.h"

// The vector helpers below are only ever inlined into the entry point of
// their own instruction set, so the ABI note about wide vectors does not apply.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

using namespace wsq_walk;

// Lines handled by one pass of a walk: each plan is applied to all of them.
constexpr int32_t kBand = 256;
// Lines whose accumulators are held at once.
constexpr int32_t kGroup = 32;

// The plan of one output: which sample each tap reads and with which
// coefficient, in tap order.
struct TapPlan {
  std::array<int32_t, kMaxTaps> index;
  std::array<float, kMaxTaps> coefficient;
  int32_t taps = 0;
  void add(int32_t i, float c) {
    index[taps] = i;
    coefficient[taps] = c;
    ++taps;
  }
};

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

// A band of `lines` parallel lines: applies one plan to each of them at
// output position `position`, either assigning or adding to the output.
// Every line gets the same operations in the same order, whether it is
// computed alone or in a vector.
template <int kLanes>
class Band {
 public:
  Band(float* out, LineLayout to, const float* in, LineLayout from, int32_t lines)
      : out_(out), to_(to), in_(in), from_(from), lines_(lines) {}

  void apply(const TapPlan& plan, const float* half, int32_t position, bool add) const {
    float* out = out_ + static_cast<std::ptrdiff_t>(position) * to_.stride;
    int32_t j = 0;
    if (from_.pitch == 1 && to_.pitch == 1) {
      for (; j + kGroup <= lines_; j += kGroup) apply_group(plan, half, out, j, add);
      for (; j + kLanes <= lines_; j += kLanes) apply_lanes(plan, half, out, j, add);
    }
    for (; j < lines_; ++j) apply_line(plan, half, out, j, add);
  }

  void clear(int32_t position) const {
    float* out = out_ + static_cast<std::ptrdiff_t>(position) * to_.stride;
    for (int32_t j = 0; j < lines_; ++j) out[static_cast<std::ptrdiff_t>(j) * to_.pitch] = 0.0f;
  }

  const float* in() const { return in_; }
  int32_t in_stride() const { return from_.stride; }

 private:
  using V = Vector<kLanes>;
  using Lanes = typename V::Lanes;
  static constexpr int32_t kVectors = kGroup / kLanes;

  const float* sample_at(const float* half, int32_t index, int32_t line) const {
    return half + static_cast<std::ptrdiff_t>(index) * from_.stride +
           static_cast<std::ptrdiff_t>(line) * from_.pitch;
  }

  void apply_line(const TapPlan& plan, const float* half, float* out, int32_t line,
                  bool add) const {
    float& target = out[static_cast<std::ptrdiff_t>(line) * to_.pitch];
    int32_t t = 0;
    float acc = 0.0f;
    if (add) {
      acc = target;
    } else if (plan.taps > 0) {
      acc = plan.coefficient[0] * *sample_at(half, plan.index[0], line);
      t = 1;
    }
    for (; t < plan.taps; ++t) {
      acc = acc + plan.coefficient[t] * *sample_at(half, plan.index[t], line);
    }
    target = acc;
  }

  // kLanes neighbouring lines at once, with the same operations in the same
  // order as apply_line.
  void apply_lanes(const TapPlan& plan, const float* half, float* out, int32_t line,
                   bool add) const {
    float* target = out + line;
    int32_t t = 0;
    Lanes acc{};
    if (add) {
      acc = V::load(target);
    } else if (plan.taps > 0) {
      acc = plan.coefficient[0] * V::load(sample_at(half, plan.index[0], line));
      t = 1;
    }
    for (; t < plan.taps; ++t) {
      acc = acc + plan.coefficient[t] * V::load(sample_at(half, plan.index[t], line));
    }
    V::store(target, acc);
  }

  // kGroup neighbouring lines with every accumulator held at once, taps
  // outermost: each line still sums its taps in plan order.
  void apply_group(const TapPlan& plan, const float* half, float* out, int32_t line,
                   bool add) const {
    float* target = out + line;
    Lanes acc[kVectors];
    int32_t t = 0;
    if (add) {
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = V::load(target + v * kLanes);
    } else if (plan.taps > 0) {
      const float* in = sample_at(half, plan.index[0], line);
      for (int32_t v = 0; v < kVectors; ++v) {
        acc[v] = plan.coefficient[0] * V::load(in + v * kLanes);
      }
      t = 1;
    } else {
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = Lanes{};
    }
    for (; t < plan.taps; ++t) {
      const float c = plan.coefficient[t];
      const float* in = sample_at(half, plan.index[t], line);
      for (int32_t v = 0; v < kVectors; ++v) acc[v] = acc[v] + c * V::load(in + v * kLanes);
    }
    for (int32_t v = 0; v < kVectors; ++v) V::store(target + v * kLanes, acc[v]);
  }

  float* out_;
  LineLayout to_;
  const float* in_;
  LineLayout from_;
  int32_t lines_;
};

// The analysis walk of analyse_line, producing plans instead of sums.
void analysis_plan(TapPlan& plan, Cursor c, int32_t n, const float* taps, int32_t size) {
  plan.taps = 0;
  plan.add(c.index, taps[0]);
  for (int32_t t = 1; t < size; ++t) {
    move(c, n);
    plan.add(c.index, taps[t]);
  }
}

template <class Band>
void analyse_band(const Band& band, int32_t n, const AnalysisSetup& s, const float* hi,
                  int32_t hsize, const float* lo, int32_t lsize, int32_t invert) {
  const int32_t n_high = high_count(n);
  const int32_t n_low = low_count(n);
  const int32_t low_first = invert ? n_high : 0;
  const int32_t high_first = invert ? 0 : n_low;
  TapPlan plan;
  Cursor lo_start{s.lo_start, -1, s.lo_left, false};
  Cursor hi_start{s.hi_start, -1, s.hi_left, false};
  for (int32_t k = 0; k < n_high; ++k) {
    analysis_plan(plan, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
    band.apply(plan, band.in(), low_first + k, false);
    analysis_plan(plan, tap_cursor(hi_start, s.hi_right, n), n, hi, hsize);
    band.apply(plan, band.in(), high_first + k, false);
    move_start(lo_start);
    move_start(lo_start);
    move_start(hi_start);
    move_start(hi_start);
  }
  if (n % 2 != 0) {
    analysis_plan(plan, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
    band.apply(plan, band.in(), low_first + n_low - 1, false);
  }
}

struct HighCursor {
  Cursor at;
  float sign = 1.0f;
};

// The synthesis walk of LineSynthesis, producing plans instead of sums.
template <class Band>
class BandSynthesis {
 public:
  BandSynthesis(const Band& band, int32_t n, const SynthesisSetup& s, const float* hi,
                int32_t hsize, const float* lo, int32_t lsize, int32_t invert)
      : band_(band),
        n_(n),
        n_high_(high_count(n)),
        n_low_(low_count(n)),
        s_(s),
        hi_(hi),
        hsize_(hsize),
        lo_(lo),
        lsize_(lsize) {
    const std::ptrdiff_t stride = band.in_stride();
    low_in_ = invert ? band.in() + n_high_ * stride : band.in();
    high_in_ = invert ? band.in() : band.in() + n_low_ * stride;
    lo_start_ = Cursor{s.lo_start, -1, s.lo_left, false};
    hi_start_ = HighCursor{Cursor{s.hi_start, -1, s.hi_left, false}, s.sign};
  }

  void run() {
    band_.clear(0);
    band_.clear(1);
    for (int32_t k = 0; k < n_high_; ++k) {
      for (int32_t t = (k == 0) ? s_.lo_phase : 1; t >= 0; --t) low_phase(t);
      move_start(lo_start_);
      for (int32_t t = (k == 0) ? s_.hi_phase : 1; t >= 0; --t) {
        int32_t counter = s_.counter;
        high_phase(t, counter);
      }
      move_high_start();
    }
    low_tail();
    high_tail();
  }

 private:
  void low_phase(int32_t t) {
    Cursor c = tap_cursor(lo_start_, s_.lo_right, n_low_);
    plan_.taps = 0;
    if (t < lsize_) plan_.add(c.index, lo_[t]);  // a one-tap filter has no odd tap
    for (int32_t i = t + 2; i < lsize_; i += 2) {
      move(c, n_low_);
      plan_.add(c.index, lo_[i]);
    }
    band_.apply(plan_, low_in_, low_writer_++, false);
  }

  void high_phase(int32_t t, int32_t& counter) {
    HighCursor c{tap_cursor(hi_start_.at, s_.hi_right, n_high_), hi_start_.sign};
    plan_.taps = 0;
    for (int32_t i = t; i < hsize_; i += 2) {
      apply_high_rule(c, counter);
      plan_.add(c.at.index, hi_[i] * c.sign);
      c.at.index += c.at.step;
    }
    band_.apply(plan_, high_in_, high_writer_++, true);
  }

  void apply_high_rule(HighCursor& c, int32_t& counter) const {
    if (c.at.index == 0) {
      if (c.at.left) {
        c.at.step = 0;
        c.at.left = false;
      } else {
        c.at.step = 1;
        c.sign = 1.0f;
      }
    }
    if (c.at.index == n_high_ - 1) {
      if (c.at.right) {
        c.at.step = 0;
        c.at.right = false;
        if (s_.antisymmetric && n_ % 2 != 0) {
          c.at.right = true;
          --counter;
          c.sign = static_cast<float>(counter);
          if (counter == 0) c.at.right = false;
        }
      } else {
        c.at.step = -1;
        if (s_.antisymmetric) c.sign = -1.0f;
      }
    }
  }

  void move_high_start() {
    Cursor& c = hi_start_.at;
    if (c.index == 0 && !c.left) hi_start_.sign = 1.0f;
    move_start(c);
  }

  static int32_t last_phase(int32_t first_phase, bool odd_length) {
    if (odd_length) return first_phase ? 1 : 0;
    return first_phase ? 2 : 1;
  }

  void low_tail() {
    const int32_t last = last_phase(s_.lo_phase, n_ % 2 != 0);
    for (int32_t t = 1; t >= last; --t) low_phase(t);
  }

  void high_tail() {
    const bool odd_length = n_ % 2 != 0;
    const int32_t last = last_phase(s_.hi_phase, odd_length);
    if (odd_length && hsize_ == 2) {
      hi_start_.at.index -= hi_start_.at.step;
      int32_t counter = 1;
      for (int32_t t = 1; t >= last; --t) high_phase(t, counter);
      return;
    }
    for (int32_t t = 1; t >= last; --t) {
      int32_t counter = s_.counter;
      high_phase(t, counter);
    }
  }

  const Band& band_;
  int32_t n_;
  int32_t n_high_;
  int32_t n_low_;
  const SynthesisSetup& s_;
  const float* hi_;
  int32_t hsize_;
  const float* lo_;
  int32_t lsize_;
  const float* low_in_ = nullptr;
  const float* high_in_ = nullptr;
  Cursor lo_start_;
  HighCursor hi_start_;
  int32_t low_writer_ = 0;
  int32_t high_writer_ = 0;
  TapPlan plan_;
};

// Runs `walk` over the lines in bands of kBand.
template <int kLanes, class Walk>
inline void for_each_band(float* destination, LineLayout to, const float* source,
                          LineLayout from, int32_t lines, Walk walk) {
  for (int32_t first = 0; first < lines; first += kBand) {
    const Band<kLanes> band(destination + static_cast<std::ptrdiff_t>(first) * to.pitch, to,
                            source + static_cast<std::ptrdiff_t>(first) * from.pitch, from,
                            std::min(kBand, lines - first));
    walk(band);
  }
}

template <int kLanes>
inline void analyse_bands_in(float* destination, LineLayout to, const float* source,
                             LineLayout from, int32_t lines, int32_t length,
                             const FilterPair& filters, int32_t invert) {
  if (length < 2 || !usable_filters(filters)) return;
  const AnalysisSetup setup = analysis_setup(filters.lsize, filters.hsize);
  std::array<float, kMaxTaps> negated;
  const float* hi = prepared_hi(filters, setup.negate_hi, negated);
  for_each_band<kLanes>(destination, to, source, from, lines, [&](const Band<kLanes>& band) {
    analyse_band(band, length, setup, hi, filters.hsize, filters.lo, filters.lsize, invert);
  });
}

template <int kLanes>
inline void synthesise_bands_in(float* destination, LineLayout to, const float* source,
                                LineLayout from, int32_t lines, int32_t length,
                                const FilterPair& filters, int32_t invert) {
  if (length < 4 || !usable_filters(filters)) return;
  const SynthesisSetup setup = synthesis_setup(filters.lsize, filters.hsize, length % 2 != 0);
  std::array<float, kMaxTaps> negated;
  const float* hi = prepared_hi(filters, setup.antisymmetric, negated);
  for_each_band<kLanes>(destination, to, source, from, lines, [&](const Band<kLanes>& band) {
    BandSynthesis<Band<kLanes>>(band, length, setup, hi, filters.hsize, filters.lo,
                                filters.lsize, invert)
        .run();
  });
}

// One entry point per instruction set. `flatten` inlines the whole walk into
// each, so every copy is compiled for its own target and nothing built for a
// wider one is shared with the baseline code.
#define WSQ_BAND_KERNELS(name, lanes, attributes)                                            \
  attributes void analyse_bands_##name(float* destination, LineLayout to, const float* source, \
                                       LineLayout from, int32_t lines, int32_t length,         \
                                       const FilterPair& filters, int32_t invert) {            \
    analyse_bands_in<lanes>(destination, to, source, from, lines, length, filters, invert);    \
  }                                                                                            \
  attributes void synthesise_bands_##name(float* destination, LineLayout to,                   \
                                          const float* source, LineLayout from,                \
                                          int32_t lines, int32_t length,                       \
                                          const FilterPair& filters, int32_t invert) {         \
    synthesise_bands_in<lanes>(destination, to, source, from, lines, length, filters, invert); \
  }

WSQ_BAND_KERNELS(sse2, 4, __attribute__((flatten)))
#if defined(__x86_64__) && defined(__GNUC__)
WSQ_BAND_KERNELS(avx2, 8, __attribute__((target("avx2"), flatten)))
WSQ_BAND_KERNELS(avx512, 16, __attribute__((target("avx512f"), flatten)))
#endif
#undef WSQ_BAND_KERNELS

std::vector<BandKernels> all_band_kernels() {
  std::vector<BandKernels> sets = {{"sse2", analyse_bands_sse2, synthesise_bands_sse2}};
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) {
    sets.push_back({"avx2", analyse_bands_avx2, synthesise_bands_avx2});
  }
  if (__builtin_cpu_supports("avx512f")) {
    sets.push_back({"avx512", analyse_bands_avx512, synthesise_bands_avx512});
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

void analyse_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  band_kernels().analyse(destination, to, source, from, lines, length, filters, invert);
}

void synthesise_bands(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  band_kernels().synthesise(destination, to, source, from, lines, length, filters, invert);
}
