#pragma once
// Pieces shared by the line kernels and their band versions: the cursors
// that walk a line with symmetric extension, and where each filter starts.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "wsq/transform_lines.h"

namespace wsq_walk {

// Longest filter a transform table can hold (its size is one byte).
inline constexpr int32_t kMaxTaps = 255;

// A position in a line of n samples that walks with symmetric extension. A
// flag that is on makes the end sample repeat once (half-sample symmetry);
// off reflects about the end sample (whole-sample symmetry).
struct Cursor {
  int32_t index = 0;
  int32_t step = -1;
  bool left = false;
  bool right = false;
};

inline void turn_at_start(Cursor& c) {
  if (c.index != 0) return;
  if (c.left) {
    c.step = 0;
    c.left = false;
  } else {
    c.step = 1;
  }
}

// Moves one sample, turning at either end of a line of n samples.
inline void move(Cursor& c, int32_t n) {
  turn_at_start(c);
  if (c.index == n - 1) {
    if (c.right) {
      c.step = 0;
      c.right = false;
    } else {
      c.step = -1;
    }
  }
  c.index += c.step;
}

// Start cursors only ever turn at the line start.
inline void move_start(Cursor& c) {
  turn_at_start(c);
  c.index += c.step;
}

// A tap cursor begins where its start cursor stands. The clamp keeps unusual
// filter lengths on short lines inside the line; sound inputs never need it.
inline Cursor tap_cursor(const Cursor& start, bool right, int32_t n) {
  return {std::clamp(start.index, 0, n - 1), start.step, start.left, right};
}

inline float sample(const float* line, int32_t stride, int32_t index) {
  return line[static_cast<std::ptrdiff_t>(index) * stride];
}

inline float& slot(float* line, int32_t stride, int32_t index) {
  return line[static_cast<std::ptrdiff_t>(index) * stride];
}

inline bool usable_filters(const FilterPair& f) {
  return f.hsize >= 1 && f.hsize <= kMaxTaps && f.lsize >= 1 && f.lsize <= kMaxTaps;
}

// Where each filter of the analysis starts and how its ends reflect.
struct AnalysisSetup {
  int32_t lo_start = 0;
  int32_t hi_start = 0;
  bool lo_left = false;
  bool hi_left = false;
  bool lo_right = false;
  bool hi_right = false;
  bool negate_hi = false;
};

inline AnalysisSetup analysis_setup(int32_t lsize, int32_t hsize) {
  AnalysisSetup s;
  if (lsize % 2 != 0) {
    s.lo_start = (lsize - 1) / 2;
    s.hi_start = (hsize - 1) / 2 - 1;
    return s;
  }
  s.lo_start = lsize / 2 - 2;
  s.hi_start = hsize / 2 - 2;
  s.lo_left = s.hi_left = s.lo_right = s.hi_right = true;
  s.negate_hi = true;
  if (s.lo_start == -1) {
    s.lo_start = 0;
    s.lo_left = false;
  }
  if (s.hi_start == -1) {
    s.hi_start = 0;
    s.hi_left = false;
  }
  return s;
}

// Where each filter of the synthesis starts, its first phase, how its ends
// reflect, and whether the high-pass runs in antisymmetric mode.
struct SynthesisSetup {
  int32_t lo_start = 0;
  int32_t hi_start = 0;
  int32_t lo_phase = 0;
  int32_t hi_phase = 0;
  bool lo_left = false;
  bool lo_right = false;
  bool hi_left = false;
  bool hi_right = false;
  bool antisymmetric = false;
  float sign = 1.0f;
  int32_t counter = 0;
};

inline SynthesisSetup synthesis_setup(int32_t lsize, int32_t hsize, bool odd_length) {
  SynthesisSetup s;
  if (lsize % 2 != 0) {
    s.lo_start = (lsize - 1) / 4;
    s.hi_start = (hsize + 1) / 4 - 1;
    s.lo_phase = ((lsize - 1) / 2) % 2;
    s.hi_phase = ((hsize + 1) / 2) % 2;
    if (odd_length) {
      s.hi_left = s.hi_right = true;
    } else {
      s.lo_right = true;
      s.hi_left = true;
    }
    return s;
  }
  s.lo_start = lsize / 4 - 1;
  s.hi_start = hsize / 4 - 1;
  s.lo_phase = (lsize / 2) % 2;
  s.hi_phase = (hsize / 2) % 2;
  s.lo_left = true;
  s.lo_right = !odd_length;
  s.hi_left = s.hi_right = true;
  s.antisymmetric = true;
  s.sign = -1.0f;
  s.counter = 2;
  if (s.lo_start == -1) {
    s.lo_start = 0;
    s.lo_left = false;
  }
  if (s.hi_start == -1) {
    s.hi_start = 0;
    s.hi_left = false;
  }
  return s;
}

// Sizes of the two halves of a line of n samples.
inline int32_t high_count(int32_t n) { return n / 2; }
inline int32_t low_count(int32_t n) { return n - n / 2; }

// The high-pass walk of the synthesis carries a sign besides its position.
struct HighCursor {
  Cursor at;
  float sign = 1.0f;
};

// Turns a high-pass tap cursor at either end of the n_high high-pass
// samples of a line of n, setting its sign (in antisymmetric mode the end
// sample of an odd line repeats with a falling counter as its sign).
inline void apply_high_rule(HighCursor& c, int32_t& counter, int32_t n_high, int32_t n,
                            const SynthesisSetup& s) {
  if (c.at.index == 0) {
    if (c.at.left) {
      c.at.step = 0;
      c.at.left = false;
    } else {
      c.at.step = 1;
      c.sign = 1.0f;
    }
  }
  if (c.at.index == n_high - 1) {
    if (c.at.right) {
      c.at.step = 0;
      c.at.right = false;
      if (s.antisymmetric && n % 2 != 0) {
        c.at.right = true;
        --counter;
        c.sign = static_cast<float>(counter);
        if (counter == 0) c.at.right = false;
      }
    } else {
      c.at.step = -1;
      if (s.antisymmetric) c.sign = -1.0f;
    }
  }
}

// Moves the high-pass start cursor on, its sign back to 1 when it turns.
inline void move_high_start(HighCursor& start) {
  Cursor& c = start.at;
  if (c.index == 0 && !c.left) start.sign = 1.0f;
  move_start(c);
}

// The last phase the tail of a synthesis writes.
inline int32_t last_phase(int32_t first_phase, bool odd_length) {
  if (odd_length) return first_phase ? 1 : 0;
  return first_phase ? 2 : 1;
}

// The order of a synthesis, shared by the reference and the plan recorder:
// the low and high phases of each pair of outputs, the start cursors moved
// after each pair, then the tails. `phases` supplies low_phase(t), reading
// from `lo_start`, and high_phase(t, counter), reading from `hi_start`.
template <class Phases>
void walk_synthesis(Phases& phases, int32_t n, int32_t hsize, const SynthesisSetup& s,
                    Cursor& lo_start, HighCursor& hi_start) {
  const bool odd_length = n % 2 != 0;
  for (int32_t k = 0; k < high_count(n); ++k) {
    for (int32_t t = (k == 0) ? s.lo_phase : 1; t >= 0; --t) phases.low_phase(t);
    move_start(lo_start);
    for (int32_t t = (k == 0) ? s.hi_phase : 1; t >= 0; --t) {
      int32_t counter = s.counter;
      phases.high_phase(t, counter);
    }
    move_high_start(hi_start);
  }
  const int32_t last_low = last_phase(s.lo_phase, odd_length);
  for (int32_t t = 1; t >= last_low; --t) phases.low_phase(t);
  const int32_t last_high = last_phase(s.hi_phase, odd_length);
  if (odd_length && hsize == 2) {
    hi_start.at.index -= hi_start.at.step;
    int32_t counter = 1;
    for (int32_t t = 1; t >= last_high; --t) phases.high_phase(t, counter);
    return;
  }
  for (int32_t t = 1; t >= last_high; --t) {
    int32_t counter = s.counter;
    phases.high_phase(t, counter);
  }
}

// Copies the high-pass taps, negated when the setup asks for it.
inline const float* prepared_hi(const FilterPair& f, bool negate,
                                std::array<float, kMaxTaps>& copy) {
  if (!negate) return f.hi;
  for (int32_t i = 0; i < f.hsize; ++i) copy[i] = -f.hi[i];
  return copy.data();
}


}  // namespace wsq_walk
