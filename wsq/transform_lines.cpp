#include "wsq/transform_lines.h"

#include <array>
#include <cstddef>

#include "wsq/transform_walk.h"

namespace {

using namespace wsq_walk;

// One analysis output: the taps in order over the cursor's walk.
float analysis_tap_sum(const float* line, int32_t stride, Cursor c, int32_t n, const float* taps,
                       int32_t size) {
  float out = taps[0] * sample(line, stride, c.index);
  for (int32_t t = 1; t < size; ++t) {
    move(c, n);
    out = out + taps[t] * sample(line, stride, c.index);
  }
  return out;
}

void analyse_line(float* out, int32_t out_stride, const float* in, int32_t in_stride, int32_t n,
                  const AnalysisSetup& s, const float* hi, int32_t hsize, const float* lo,
                  int32_t lsize, int32_t invert) {
  const int32_t n_high = n / 2;
  const int32_t n_low = n - n_high;
  float* low_out = invert ? out + static_cast<std::ptrdiff_t>(n_high) * out_stride : out;
  float* high_out = invert ? out : out + static_cast<std::ptrdiff_t>(n_low) * out_stride;

  Cursor lo_start{s.lo_start, -1, s.lo_left, false};
  Cursor hi_start{s.hi_start, -1, s.hi_left, false};
  for (int32_t k = 0; k < n_high; ++k) {
    slot(low_out, out_stride, k) =
        analysis_tap_sum(in, in_stride, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
    slot(high_out, out_stride, k) =
        analysis_tap_sum(in, in_stride, tap_cursor(hi_start, s.hi_right, n), n, hi, hsize);
    move_start(lo_start);
    move_start(lo_start);
    move_start(hi_start);
    move_start(hi_start);
  }
  if (n % 2 != 0) {
    slot(low_out, out_stride, n_low - 1) =
        analysis_tap_sum(in, in_stride, tap_cursor(lo_start, s.lo_right, n), n, lo, lsize);
  }
}

// Rebuilds one line: a low writer assigns the low-pass part of each output,
// a high writer then adds the high-pass part, both in output order.
class LineSynthesis {
 public:
  LineSynthesis(float* out, int32_t out_stride, const float* in, int32_t in_stride, int32_t n,
                const SynthesisSetup& s, const float* hi, int32_t hsize, const float* lo,
                int32_t lsize, int32_t invert)
      : out_(out),
        out_stride_(out_stride),
        in_stride_(in_stride),
        n_(n),
        n_high_(n / 2),
        n_low_(n - n / 2),
        s_(s),
        hi_(hi),
        hsize_(hsize),
        lo_(lo),
        lsize_(lsize) {
    low_in_ = invert ? in + static_cast<std::ptrdiff_t>(n_high_) * in_stride : in;
    high_in_ = invert ? in : in + static_cast<std::ptrdiff_t>(n_low_) * in_stride;
    lo_start_ = Cursor{s.lo_start, -1, s.lo_left, false};
    hi_start_ = HighCursor{Cursor{s.hi_start, -1, s.hi_left, false}, s.sign};
  }

  void run() {
    slot(out_, out_stride_, 0) = 0.0f;
    slot(out_, out_stride_, 1) = 0.0f;
    walk_synthesis(*this, n_, hsize_, s_, lo_start_, hi_start_);
  }

  // The phases walk_synthesis calls.
  void low_phase(int32_t t) {
    Cursor c = tap_cursor(lo_start_, s_.lo_right, n_low_);
    // A one-tap lowpass filter (which a codestream may declare) has no odd
    // tap: that phase sums nothing.
    float out = t < lsize_ ? lo_[t] * sample(low_in_, in_stride_, c.index) : 0.0f;
    for (int32_t i = t + 2; i < lsize_; i += 2) {
      move(c, n_low_);
      out = out + lo_[i] * sample(low_in_, in_stride_, c.index);
    }
    slot(out_, out_stride_, low_writer_++) = out;
  }

  void high_phase(int32_t t, int32_t& counter) {
    HighCursor c{tap_cursor(hi_start_.at, s_.hi_right, n_high_), hi_start_.sign};
    float& target = slot(out_, out_stride_, high_writer_++);
    float out = target;
    for (int32_t i = t; i < hsize_; i += 2) {
      apply_high_rule(c, counter, n_high_, n_, s_);
      out = out + hi_[i] * c.sign * sample(high_in_, in_stride_, c.at.index);
      c.at.index += c.at.step;
    }
    target = out;
  }

 private:
  float* out_;
  int32_t out_stride_;
  const float* low_in_ = nullptr;
  const float* high_in_ = nullptr;
  int32_t in_stride_;
  int32_t n_;
  int32_t n_high_;
  int32_t n_low_;
  const SynthesisSetup& s_;
  const float* hi_;
  int32_t hsize_;
  const float* lo_;
  int32_t lsize_;
  Cursor lo_start_;
  HighCursor hi_start_;
  int32_t low_writer_ = 0;
  int32_t high_writer_ = 0;
};

}  // namespace

void analyse_lines(float* destination, LineLayout to, const float* source, LineLayout from,
                   int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  if (length < 2 || !usable_filters(filters)) return;
  const AnalysisSetup setup = analysis_setup(filters.lsize, filters.hsize);
  std::array<float, kMaxTaps> negated;
  const float* hi = prepared_hi(filters, setup.negate_hi, negated);
  for (int32_t line = 0; line < lines; ++line) {
    analyse_line(destination + static_cast<std::ptrdiff_t>(line) * to.pitch, to.stride,
                 source + static_cast<std::ptrdiff_t>(line) * from.pitch, from.stride, length,
                 setup, hi, filters.hsize, filters.lo, filters.lsize, invert);
  }
}

void synthesise_lines(float* destination, LineLayout to, const float* source, LineLayout from,
                      int32_t lines, int32_t length, const FilterPair& filters, int32_t invert) {
  if (length < 4 || !usable_filters(filters)) return;
  const SynthesisSetup setup = synthesis_setup(filters.lsize, filters.hsize, length % 2 != 0);
  std::array<float, kMaxTaps> negated;
  const float* hi = prepared_hi(filters, setup.antisymmetric, negated);
  for (int32_t line = 0; line < lines; ++line) {
    LineSynthesis(destination + static_cast<std::ptrdiff_t>(line) * to.pitch, to.stride,
                  source + static_cast<std::ptrdiff_t>(line) * from.pitch, from.stride, length,
                  setup, hi, filters.hsize, filters.lo, filters.lsize, invert)
        .run();
  }
}
