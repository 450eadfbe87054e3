#pragma once
// The symbols a quantized block is coded with, in coding order: each
// non-zero coefficient on its own, the zeros between them as runs of at most
// 65535. Two walks hand them out: the plain one, coefficient by coefficient,
// kept as the reference, and the one the coder uses, which finds the non-zero
// coefficients 64 at a time from a bit mask, so that its branches do not
// depend on whether each coefficient is zero.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Longest zero run one symbol can carry.
inline constexpr int32_t kMaxZeroRun = 65535;
// Largest coefficient magnitude coded directly, longest zero run coded directly.
inline constexpr int32_t kMaxDirectCoefficient = 74;
inline constexpr int32_t kMaxDirectZeroRun = 100;

// A symbol and the raw bits that follow its code. Value 0, a run of no
// zeros, is the empty symbol: no block codes it.
struct BlockSymbol {
  int32_t value = 0;
  uint16_t extra = 0;
  int16_t extra_size = 0;

  bool operator==(const BlockSymbol&) const = default;
};

namespace block_symbols {

inline constexpr int32_t kRun8Symbol = 105;
inline constexpr int32_t kRun16Symbol = 106;
inline constexpr int32_t kPositive8Symbol = 101;
inline constexpr int32_t kNegative8Symbol = 102;
inline constexpr int32_t kPositive16Symbol = 103;
inline constexpr int32_t kNegative16Symbol = 104;
inline constexpr int32_t kDirectCoefficientBase = 180;
// Symbols 1..100 are runs of that many zeros; 107 and up are coefficients
// coded directly (symbol - 180).
inline constexpr int32_t kFirstDirectSymbol = kDirectCoefficientBase - kMaxDirectCoefficient + 1;

// Coefficients up to `max_coefficient` (at most 75, so that the symbol is a
// byte) and down to 1 - max_coefficient are coded directly.
inline BlockSymbol coefficient_symbol(int32_t v, int32_t max_coefficient) {
  if (v > 0) {
    if (v <= max_coefficient) return {v + kDirectCoefficientBase, 0, 0};
    if (v <= 255) return {kPositive8Symbol, static_cast<uint16_t>(v), 8};
    return {kPositive16Symbol, static_cast<uint16_t>(v), 16};
  }
  const int32_t m = -v;
  if (m < max_coefficient) return {v + kDirectCoefficientBase, 0, 0};
  if (m <= 255) return {kNegative8Symbol, static_cast<uint16_t>(m), 8};
  return {kNegative16Symbol, static_cast<uint16_t>(m), 16};
}

// The same symbol for a non-zero `v`, with one test for the direct range.
inline BlockSymbol nonzero_symbol(int32_t v, int32_t max_coefficient) {
  const auto offset = static_cast<uint32_t>(v + max_coefficient - 1);
  if (offset < static_cast<uint32_t>(2 * max_coefficient)) [[likely]] {
    return {v + kDirectCoefficientBase, 0, 0};
  }
  return coefficient_symbol(v, max_coefficient);
}

inline BlockSymbol run_symbol(int32_t n, int32_t max_zero_run) {
  if (n <= max_zero_run) return {n, 0, 0};
  if (n <= 255) return {kRun8Symbol, static_cast<uint16_t>(n), 8};
  return {kRun16Symbol, static_cast<uint16_t>(n), 16};
}

// How many of the first `limit` coefficients are 0 before the first that
// is not, looked at eight at a time.
inline int32_t zero_run(const int16_t* block, int32_t limit) {
  int32_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t words[2];
    std::memcpy(words, block + n, sizeof words);
    if ((words[0] | words[1]) != 0) break;
  }
  while (n < limit && block[n] == 0) ++n;
  return n;
}

// Bit k is set when coefficient k (of `count`, at most 64) is not zero.
inline uint64_t nonzero_mask(const int16_t* c, int32_t count) {
#if defined(__SSE2__)
  if (count == 64) {
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    for (int32_t k = 0; k < 4; ++k) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 16 * k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 16 * k + 8));
      const __m128i equal = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
      zeros |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(equal))) << (16 * k);
    }
    return ~zeros;
  }
#endif
  uint64_t mask = 0;
  for (int32_t k = 0; k < count; ++k) mask |= static_cast<uint64_t>(c[k] != 0) << k;
  return mask;
}

// Hands out a run of `zeros` zeros (0 gives the empty symbol) as symbols of
// at most kMaxZeroRun zeros; `max_zero_run` is at most 255, as symbols are
// bytes.
template <class Emit>
bool emit_zeros(int64_t zeros, int32_t max_zero_run, Emit& emit) {
  if (zeros <= max_zero_run) [[likely]] {
    return emit(BlockSymbol{static_cast<int32_t>(zeros), 0, 0});
  }
  for (; zeros > kMaxZeroRun; zeros -= kMaxZeroRun) {
    if (!emit(run_symbol(kMaxZeroRun, max_zero_run))) return false;
  }
  return emit(run_symbol(static_cast<int32_t>(zeros), max_zero_run));
}

}  // namespace block_symbols

// The reference walk: hands each symbol of the block to `emit` in coding
// order. Stops early when `emit` returns false; returns whether the walk
// finished.
template <class Emit>
bool walk_block_reference(const int16_t* block, int32_t length, int32_t max_coefficient,
                          int32_t max_zero_run, Emit emit) {
  using namespace block_symbols;
  int32_t run = 0;
  for (int32_t i = 0; i < length; ++i) {
    const int32_t v = block[i];
    if (v == 0 && run < kMaxZeroRun) {
      const int32_t zeros = zero_run(block + i, std::min(length - i, kMaxZeroRun - run));
      run += zeros;
      i += zeros - 1;
      continue;
    }
    if (run > 0 && !emit(run_symbol(run, max_zero_run))) return false;
    run = 0;
    if (v == 0) {
      run = 1;
    } else if (!emit(coefficient_symbol(v, max_coefficient))) {
      return false;
    }
  }
  return run == 0 || emit(run_symbol(run, max_zero_run));
}

// The coder's walk: the same symbols in the same order, except that it also
// hands out the empty symbol before a non-zero coefficient that follows
// another directly (so that it need not test for that); `emit` gives the
// empty symbol no count and no bits.
template <class Emit>
bool walk_block(const int16_t* block, int32_t length, int32_t max_coefficient,
                int32_t max_zero_run, Emit emit) {
  using namespace block_symbols;
  int64_t zeros = 0;  // zeros since the last non-zero coefficient
  for (int32_t base = 0; base < length; base += 64) {
    const int32_t count = std::min(64, length - base);
    uint64_t nonzero = nonzero_mask(block + base, count);
    int32_t next = 0;  // first coefficient of this stretch not yet accounted for
    while (nonzero != 0) {
      const int32_t at = std::countr_zero(nonzero);
      nonzero &= nonzero - 1;
      zeros += at - next;
      if (!emit_zeros(zeros, max_zero_run, emit)) return false;
      if (!emit(nonzero_symbol(block[base + at], max_coefficient))) return false;
      zeros = 0;
      next = at + 1;
    }
    zeros += count - next;
  }
  return zeros == 0 || emit_zeros(zeros, max_zero_run, emit);
}
