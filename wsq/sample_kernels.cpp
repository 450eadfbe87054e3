#include "wsq/sample_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "wsq/instruction_sets.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void bytes_to_floats_reference(float* out, const uint8_t* in, int64_t count, float shift,
                               float scale) {
  for (int64_t i = 0; i < count; ++i) out[i] = (static_cast<float>(in[i]) - shift) / scale;
}

void floats_to_bytes_reference(uint8_t* out, const float* in, int64_t count, float scale,
                               float shift) {
  for (int64_t i = 0; i < count; ++i) {
    float v = in[i] * scale + shift;
    v = v + 0.5f;
    v = v >= 0.0f ? v : 0.0f;
    v = v > 255.0f ? 255.0f : v;
    out[i] = static_cast<uint8_t>(static_cast<int32_t>(v));
  }
}

void unquantize_values_reference(float* out, const int16_t* in, int32_t count, float c, float q,
                                 float half_z) {
  for (int32_t x = 0; x < count; ++x) {
    const int16_t v = in[x];
    if (v > 0) {
      out[x] = (static_cast<float>(v) - c) * q + half_z;
    } else if (v < 0) {
      out[x] = (static_cast<float>(v) + c) * q - half_z;
    } else {
      out[x] = 0.0f;
    }
  }
}

void quantize_values_reference(int16_t* out, const float* in, int32_t count, float half_zero,
                               float bin_width) {
  for (int32_t i = 0; i < count; ++i) {
    const float c = in[i];
    float v = 0.0f;
    if (c > half_zero) {
      v = (c - half_zero) / bin_width + 1.0f;
    } else if (c < -half_zero) {
      v = (c + half_zero) / bin_width - 1.0f;
    }
    v = std::trunc(v);
    // Values beyond 16 bits are clamped rather than wrapped.
    v = std::clamp(v, static_cast<float>(std::numeric_limits<int16_t>::min()),
                   static_cast<float>(std::numeric_limits<int16_t>::max()));
    out[i] = static_cast<int16_t>(v);
  }
}

float largest_magnitude_reference(const float* in, int32_t count, float start) {
  float peak = start;
  for (int32_t i = 0; i < count; ++i) peak = std::max(peak, std::fabs(in[i]));
  return peak;
}

PixelStats pixel_stats_reference(const uint8_t* in, int64_t count) {
  PixelStats stats;
  for (int64_t i = 0; i < count; ++i) {
    stats.maximum = std::max<int32_t>(stats.maximum, in[i]);
    stats.minimum = std::min<int32_t>(stats.minimum, in[i]);
    stats.sum += in[i];
  }
  return stats;
}

#if defined(__SSE2__)

// SSE2 is part of every x86-64 processor. The conversions to and from
// bytes, the peaks and the pixel statistics are memory-bound: wider vectors
// would not make them faster. The three below with a `_sse2` name are the
// narrowest of their kernel sets.

void bytes_to_floats(float* out, const uint8_t* in, int64_t count, float shift, float scale) {
  const __m128 s = _mm_set1_ps(shift);
  const __m128 d = _mm_set1_ps(scale);
  const __m128i zero = _mm_setzero_si128();
  int64_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i low = _mm_unpacklo_epi8(bytes, zero);
    const __m128i high = _mm_unpackhi_epi8(bytes, zero);
    const __m128i words[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                              _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
    for (int k = 0; k < 4; ++k) {
      _mm_storeu_ps(out + i + 4 * k, _mm_div_ps(_mm_sub_ps(_mm_cvtepi32_ps(words[k]), s), d));
    }
  }
  bytes_to_floats_reference(out + i, in + i, count - i, shift, scale);
}

static void floats_to_bytes_sse2(uint8_t* out, const float* in, int64_t count, float scale,
                                 float shift) {
  const __m128 r = _mm_set1_ps(scale);
  const __m128 m = _mm_set1_ps(shift);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 zero = _mm_setzero_ps();
  const __m128 top = _mm_set1_ps(255.0f);
  int64_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i words[4];
    for (int k = 0; k < 4; ++k) {
      __m128 v = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_loadu_ps(in + i + 4 * k), r), m), half);
      // max gives its second operand when either is not a number, and both
      // keep the value when it equals the bound: the reference's choices.
      v = _mm_min_ps(_mm_max_ps(v, zero), top);
      words[k] = _mm_cvttps_epi32(v);
    }
    const __m128i low = _mm_packs_epi32(words[0], words[1]);
    const __m128i high = _mm_packs_epi32(words[2], words[3]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
  }
  floats_to_bytes_reference(out + i, in + i, count - i, scale, shift);
}

static void unquantize_values_sse2(float* out, const int16_t* in, int32_t count, float c, float q,
                                   float half_z) {
  const __m128 vc = _mm_set1_ps(c);
  const __m128 vq = _mm_set1_ps(q);
  const __m128 vz = _mm_set1_ps(half_z);
  const __m128i zero = _mm_setzero_si128();
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m128i v16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    const __m128i halves[2] = {_mm_srai_epi32(_mm_unpacklo_epi16(v16, v16), 16),
                               _mm_srai_epi32(_mm_unpackhi_epi16(v16, v16), 16)};
    for (int k = 0; k < 2; ++k) {
      const __m128 f = _mm_cvtepi32_ps(halves[k]);
      const __m128 positive = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(f, vc), vq), vz);
      const __m128 negative = _mm_sub_ps(_mm_mul_ps(_mm_add_ps(f, vc), vq), vz);
      const __m128 above = _mm_castsi128_ps(_mm_cmpgt_epi32(halves[k], zero));
      const __m128 below = _mm_castsi128_ps(_mm_cmplt_epi32(halves[k], zero));
      _mm_storeu_ps(out + x + 4 * k,
                    _mm_or_ps(_mm_and_ps(above, positive), _mm_and_ps(below, negative)));
    }
  }
  unquantize_values_reference(out + x, in + x, count - x, c, q, half_z);
}

static void quantize_values_sse2(int16_t* out, const float* in, int32_t count, float half_zero,
                                 float bin_width) {
  const __m128 z = _mm_set1_ps(half_zero);
  const __m128 minus_z = _mm_set1_ps(-half_zero);
  const __m128 w = _mm_set1_ps(bin_width);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 lowest = _mm_set1_ps(-32768.0f);
  const __m128 highest = _mm_set1_ps(32767.0f);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m128i words[2];
    for (int k = 0; k < 2; ++k) {
      const __m128 c = _mm_loadu_ps(in + i + 4 * k);
      const __m128 positive = _mm_cmpgt_ps(c, z);
      const __m128 negative = _mm_cmplt_ps(c, minus_z);
      // One division a lane: each sign's numerator is chosen first, and
      // every lane then gets the operations of its own rule.
      const __m128 numerator =
          _mm_or_ps(_mm_and_ps(positive, _mm_sub_ps(c, z)), _mm_and_ps(negative, _mm_add_ps(c, z)));
      const __m128 bins = _mm_div_ps(numerator, w);
      __m128 v = _mm_or_ps(_mm_and_ps(positive, _mm_add_ps(bins, one)),
                           _mm_and_ps(negative, _mm_sub_ps(bins, one)));
      // Clamped before the truncating conversion, which is then exact: the
      // same as truncating first, for every value inside the 16-bit range.
      v = _mm_min_ps(_mm_max_ps(v, lowest), highest);
      words[k] = _mm_cvttps_epi32(v);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(words[0], words[1]));
  }
  quantize_values_reference(out + i, in + i, count - i, half_zero, bin_width);
}

float largest_magnitude(const float* in, int32_t count, float start) {
  // The largest of a set of numbers does not depend on the order they are
  // compared in; max keeps its second operand when the first is not a
  // number, as std::max(peak, value) keeps peak.
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  __m128 peak = _mm_set1_ps(start);
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    peak = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(in + i), magnitude), peak);
  }
  float lanes[4];
  _mm_storeu_ps(lanes, peak);
  float result = start;
  for (float lane : lanes) result = std::max(result, lane);
  return largest_magnitude_reference(in + i, count - i, result);
}

PixelStats pixel_stats(const uint8_t* in, int64_t count) {
  __m128i low = _mm_set1_epi8(static_cast<char>(255));
  __m128i high = _mm_setzero_si128();
  __m128i sums = _mm_setzero_si128();
  int64_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    low = _mm_min_epu8(low, bytes);
    high = _mm_max_epu8(high, bytes);
    sums = _mm_add_epi64(sums, _mm_sad_epu8(bytes, _mm_setzero_si128()));
  }
  alignas(16) uint8_t lows[16];
  alignas(16) uint8_t highs[16];
  alignas(16) int64_t halves[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(lows), low);
  _mm_store_si128(reinterpret_cast<__m128i*>(highs), high);
  _mm_store_si128(reinterpret_cast<__m128i*>(halves), sums);
  PixelStats stats = pixel_stats_reference(in + i, count - i);
  for (int k = 0; k < 16; ++k) {
    stats.minimum = std::min<int32_t>(stats.minimum, lows[k]);
    stats.maximum = std::max<int32_t>(stats.maximum, highs[k]);
  }
  stats.sum += halves[0] + halves[1];
  return stats;
}

#else

void bytes_to_floats(float* out, const uint8_t* in, int64_t count, float shift, float scale) {
  bytes_to_floats_reference(out, in, count, shift, scale);
}

float largest_magnitude(const float* in, int32_t count, float start) {
  return largest_magnitude_reference(in, count, start);
}

PixelStats pixel_stats(const uint8_t* in, int64_t count) {
  return pixel_stats_reference(in, count);
}

#endif

// Wider versions of three conversions, written once with the compiler's
// vector types for kLanes samples and compiled for each instruction set.
// Each lane gets the operations of the reference (or of the SSE2 version,
// whose min and max give their second operand for a value that is not a
// number) in the same order.
#if defined(__GNUC__)
// The vector helpers are only inlined into the entry points of their own
// instruction set, so the ABI note about wide vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

// kLanes samples of each type in one vector.
template <int kLanes>
struct WideTypes {
  typedef float F __attribute__((vector_size(4 * kLanes)));
  typedef int32_t I __attribute__((vector_size(4 * kLanes)));
  typedef int16_t S __attribute__((vector_size(2 * kLanes)));
  typedef uint8_t B __attribute__((vector_size(kLanes)));
};

template <int kLanes>
struct Wide {
  using F = typename WideTypes<kLanes>::F;
  using I = typename WideTypes<kLanes>::I;
  using S = typename WideTypes<kLanes>::S;
  using B = typename WideTypes<kLanes>::B;

  // Every lane v. Filled lane by lane, which the compiler turns into one
  // broadcast; `v - F{}` was built with a masked insert per lane on every
  // call, a chain that cost more than short rows of samples.
  static F splat(float v) {
    F r;
    for (int i = 0; i < kLanes; ++i) r[i] = v;
    return r;
  }

  template <class T>
  static T load(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  template <class T>
  static void store(void* p, T v) {
    std::memcpy(p, &v, sizeof v);
  }

  static void floats_to_bytes(uint8_t* out, const float* in, int64_t count, float scale,
                              float shift) {
    const F r = splat(scale), m = splat(shift), half = splat(0.5f), zero = F{};
    const F top = splat(255.0f);
    int64_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
      F v = load<F>(in + i) * r + m;
      v = v + half;
      v = v >= zero ? v : zero;  // not a number gives 0
      v = v > top ? top : v;
      store(out + i, __builtin_convertvector(__builtin_convertvector(v, I), B));
    }
    floats_to_bytes_reference(out + i, in + i, count - i, scale, shift);
  }

  static void unquantize(float* out, const int16_t* in, int32_t count, float c, float q,
                         float half_z) {
    const F vc = splat(c), vq = splat(q), vz = splat(half_z), zero = F{};
    int32_t x = 0;
    for (; x + kLanes <= count; x += kLanes) {
      const F f = __builtin_convertvector(load<S>(in + x), F);  // exact
      const F positive = (f - vc) * vq + vz;
      const F negative = (f + vc) * vq - vz;
      store(out + x, f > zero ? positive : (f < zero ? negative : zero));
    }
    unquantize_values_reference(out + x, in + x, count - x, c, q, half_z);
  }

  static void quantize(int16_t* out, const float* in, int32_t count, float half_zero,
                       float bin_width) {
    const F z = splat(half_zero), minus_z = splat(-half_zero), w = splat(bin_width);
    const F one = splat(1.0f), zero = F{};
    const F lowest = splat(-32768.0f), highest = splat(32767.0f);
    int32_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
      const F c = load<F>(in + i);
      const auto positive = c > z;
      const auto negative = c < minus_z;
      // One division a lane, of the numerator of its sign's rule.
      const F bins = (positive ? c - z : (negative ? c + z : zero)) / w;
      F v = positive ? bins + one : (negative ? bins - one : zero);
      // Clamped before the truncating conversion, which is then exact.
      v = v > lowest ? v : lowest;
      v = v < highest ? v : highest;
      store(out + i, __builtin_convertvector(__builtin_convertvector(v, I), S));
    }
    quantize_values_reference(out + i, in + i, count - i, half_zero, bin_width);
  }
};

#define WSQ_SAMPLE_KERNELS(name, lanes, attributes)                                               \
  attributes void floats_to_bytes_##name(uint8_t* out, const float* in, int64_t count,            \
                                         float scale, float shift) {                              \
    Wide<lanes>::floats_to_bytes(out, in, count, scale, shift);                                   \
  }                                                                                               \
  attributes void unquantize_values_##name(float* out, const int16_t* in, int32_t count, float c, \
                                           float q, float half_z) {                               \
    Wide<lanes>::unquantize(out, in, count, c, q, half_z);                                        \
  }                                                                                               \
  attributes void quantize_values_##name(int16_t* out, const float* in, int32_t count,            \
                                         float half_zero, float bin_width) {                      \
    Wide<lanes>::quantize(out, in, count, half_zero, bin_width);                                  \
  }

#if defined(__x86_64__) && defined(__GNUC__)
WSQ_SAMPLE_KERNELS(avx2, 8, __attribute__((target("avx2"), flatten)))
WSQ_SAMPLE_KERNELS(avx512, 16, __attribute__((target("avx512f,avx512bw"), flatten)))
#endif
#undef WSQ_SAMPLE_KERNELS

std::vector<SampleKernelSet> all_sample_kernels() {
#if defined(__SSE2__)
  std::vector<SampleKernelSet> sets = {
      {"sse2", floats_to_bytes_sse2, unquantize_values_sse2, quantize_values_sse2}};
#else
  std::vector<SampleKernelSet> sets = {{"reference", floats_to_bytes_reference,
                                        unquantize_values_reference, quantize_values_reference}};
#endif
#if defined(__x86_64__) && defined(__GNUC__)
  const InstructionSets& cpu = instruction_sets();
  if (cpu.avx2) {
    sets.push_back({"avx2", floats_to_bytes_avx2, unquantize_values_avx2, quantize_values_avx2});
  }
  if (cpu.avx512f && cpu.avx512bw) {
    sets.push_back(
        {"avx512", floats_to_bytes_avx512, unquantize_values_avx512, quantize_values_avx512});
  }
#endif
  return sets;
}

// The widest set the processor runs, chosen once.
const SampleKernelSet& chosen_sample_kernels() {
  static const SampleKernelSet& chosen = runnable_sample_kernels().back();
  return chosen;
}

}  // namespace

const std::vector<SampleKernelSet>& runnable_sample_kernels() {
  static const std::vector<SampleKernelSet> sets = all_sample_kernels();
  return sets;
}

void floats_to_bytes(uint8_t* out, const float* in, int64_t count, float scale, float shift) {
  chosen_sample_kernels().floats_to_bytes(out, in, count, scale, shift);
}

void unquantize_values(float* out, const int16_t* in, int32_t count, float c, float q,
                       float half_z) {
  chosen_sample_kernels().unquantize(out, in, count, c, q, half_z);
}

void quantize_values(int16_t* out, const float* in, int32_t count, float half_zero,
                     float bin_width) {
  chosen_sample_kernels().quantize(out, in, count, half_zero, bin_width);
}
