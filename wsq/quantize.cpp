#include "wsq/quantize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "wsq/diagnostics.h"
#include "wsq/sample_kernels.h"

namespace {

// Subbands whose window variance is below this are not coded.
constexpr float kSignificantVariance = 1.01f;

// Weight A of each coded subband in its preliminary bin width.
float weight_a(int k) {
  static constexpr float kHighBands[8] = {1.32f, 1.08f, 1.42f, 1.08f, 1.32f, 1.42f, 1.08f, 1.08f};
  return k >= 52 ? kHighBands[k - 52] : 1.0f;
}

// Weight m of each coded subband: its share of the image area.
float weight_m(int k) {
  if (k < 4) return 1.0f / 1024.0f;
  if (k < 51) return 1.0f / 256.0f;
  return 1.0f / 16.0f;
}

bool significant(float variance) { return variance >= kSignificantVariance; }

const float* row_of(const float* fdata, int32_t width, int32_t y, int32_t x) {
  return fdata + static_cast<std::ptrdiff_t>(y) * width + x;
}

// A rectangle of samples inside a subband.
struct Window {
  int32_t x = 0, y = 0, nx = 0, ny = 0;
};

// The central part of a subband, shifted towards its top.
Window central_window(const SubbandRect& r) {
  return {r.x + r.lx / 8, r.y + (9 * r.ly) / 32, (3 * r.lx) / 4, (7 * r.ly) / 16};
}

// The central window stretched over the whole subband in each direction in
// which it is less than two samples thick.
Window stretched_window(const SubbandRect& r) {
  Window w = central_window(r);
  if (w.nx < 2) {
    w.x = r.x;
    w.nx = r.lx;
  }
  if (w.ny < 2) {
    w.y = r.y;
    w.ny = r.ly;
  }
  return w;
}

bool is_thin(const Window& w) { return w.nx < 2 || w.ny < 2; }

float window_variance(const Window& w, const float* fdata, int32_t width) {
  const int64_t n = static_cast<int64_t>(w.nx) * w.ny;
  if (n < 2) return 0.0f;  // too few samples to estimate: not significant

  float sum = 0.0f;
  float squares = 0.0f;
  for (int32_t y = 0; y < w.ny; ++y) {
    const float* row = row_of(fdata, width, w.y + y, w.x);
    for (int32_t x = 0; x < w.nx; ++x) {
      sum = sum + row[x];
      squares = squares + row[x] * row[x];
    }
  }
  const float mean_term = sum * sum / static_cast<float>(n);
  return (squares - mean_term) / static_cast<float>(n - 1);
}

// The bin-width scale q of one pass over the working list.
float pass_scale(const QuantizerState& state, const std::vector<int>& list,
                 const std::array<float, kSubbandRectCount>& sigma) {
  float s = 0.0f;
  for (int k : list) s = s + weight_m(k);
  float p = 1.0f;
  for (int k : list) {
    const float ratio = sigma[k] / state.bin_width[k];
    p = static_cast<float>(p *
                           std::pow(static_cast<double>(ratio), static_cast<double>(weight_m(k))));
  }
  const double rate_term = std::pow(2.0, static_cast<double>(state.r / s) - 1.0) * 0.4;
  return static_cast<float>(rate_term / std::pow(static_cast<double>(p), 1.0 / s));
}

// Drops from the list the subbands whose width would be too coarse for their
// spread at scale q; returns whether any was dropped.
bool drop_coarse_subbands(std::vector<int>& list, const QuantizerState& state,
                          const std::array<float, kSubbandRectCount>& sigma, float q) {
  std::vector<int> kept;
  for (int k : list) {
    if (!(state.bin_width[k] / q >= 5.0f * sigma[k])) kept.push_back(k);
  }
  if (kept.size() == list.size()) return false;
  list = std::move(kept);
  return true;
}

// The final scale q: each pass drops the subbands too coarse for the last q,
// until none is dropped (or none would remain, which keeps the last q).
float bitrate_scale(const QuantizerState& state, const std::vector<int>& significant_list,
                    const std::array<float, kSubbandRectCount>& sigma) {
  std::vector<int> list = significant_list;
  float q = pass_scale(state, list, sigma);
  std::vector<int> next = list;
  while (drop_coarse_subbands(next, state, sigma, q) && !next.empty()) {
    list = next;
    q = pass_scale(state, list, sigma);
  }
  return q;
}

// Largest quantized magnitude a coefficient may take.
constexpr float kLargestQuantized = 32767.0f;

// Largest coefficient magnitude of a subband.
float subband_peak(const SubbandRect& r, const float* fdata, int32_t width) {
  float peak = 0.0f;
  for (int32_t y = 0; y < r.ly; ++y) {
    const float* row = row_of(fdata, width, r.y + y, r.x);
    peak = largest_magnitude(row, r.lx, peak);
  }
  return peak;
}

// The largest scale q at which every coefficient of the coded subbands still
// quantizes into 16 bits. A subband of preliminary width w and peak magnitude
// M quantizes its peak to trunc(M q / w + 0.4), so q = w x 32767 / M keeps it
// at or below 32767; the smallest of these over the coded subbands bounds q.
// Infinity when no subband limits it.
float sixteen_bit_scale(const QuantizerState& state, const std::vector<int>& coded,
                        const SubbandTree& subbands, const float* fdata, int32_t width,
                        WorkerPool* pool) {
  std::array<float, kSubbandRectCount> peaks{};
  const auto measure = [&](int32_t i, int32_t) {
    peaks[coded[i]] = subband_peak(subbands[coded[i]], fdata, width);
  };
  const int32_t count = static_cast<int32_t>(coded.size());
  if (pool) {
    pool->run(count, measure);
  } else {
    for (int32_t i = 0; i < count; ++i) measure(i, 0);
  }
  double limit = std::numeric_limits<double>::infinity();
  for (int k : coded) {
    const float peak = peaks[k];
    if (peak > 0.0f) {
      limit = std::min(limit, static_cast<double>(state.bin_width[k]) * kLargestQuantized / peak);
    }
  }
  return static_cast<float>(limit);
}

}  // namespace

int16_t quantize_coefficient(float c, float half_zero, float bin_width) {
  int16_t v = 0;
  quantize_values_reference(&v, &c, 1, half_zero, bin_width);
  return v;
}

void subband_variances(QuantizerState& state, const SubbandTree& subbands, const float* fdata,
                       int32_t width, int32_t /*height*/, WorkerPool* pool) {
  const auto measure = [&](int32_t k, int32_t) {
    const SubbandRect& r = subbands[k];
    const Window central = central_window(r);
    float variance = window_variance(central, fdata, width);
    // In a subband only a few samples high (or wide), as the coarsest
    // subbands of images below about 130 pixels a side are, the central
    // window is a single row (or column) or nothing, blind to any change
    // across it: the coarse content of a smooth image that runs from top to
    // bottom would measure as flat, and the image would come back as one
    // grey. Before such a subband is left out, it is measured over its whole
    // extent in the thin direction.
    if (!significant(variance) && is_thin(central)) {
      variance = window_variance(stretched_window(r), fdata, width);
    }
    state.variance[k] = variance;
  };
  if (pool) {
    pool->run(kCodedSubbandCount, measure);
  } else {
    for (int k = 0; k < kCodedSubbandCount; ++k) measure(k, 0);
  }
}

int32_t quantize(CoefficientPlane& sip, int32_t& count, QuantizerState& state,
                 const SubbandTree& subbands, const float* fdata, int32_t width, int32_t height,
                 WorkerPool* pool) {
  state.bin_width.fill(0.0f);
  state.zero_bin_width.fill(0.0f);

  // Preliminary widths and the significant subbands (a NaN variance is not).
  std::vector<int> significant_list;
  std::array<float, kSubbandRectCount> sigma{};
  for (int k = 0; k < kCodedSubbandCount; ++k) {
    const float variance = state.variance[k];
    if (!significant(variance)) continue;
    state.bin_width[k] = k < 4
                             ? 1.0f
                             : static_cast<float>(10.0 / (static_cast<double>(weight_a(k)) *
                                                          std::log(static_cast<double>(variance))));
    significant_list.push_back(k);
    sigma[k] = std::sqrt(variance);
  }

  try {
    sip.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : quantize : calloc : sip\n");
    return -90;
  }

  // With no significant subband nothing is coded and no scale is needed.
  float q = significant_list.empty() ? 1.0f : bitrate_scale(state, significant_list, sigma);
  // When few subbands are significant the bitrate is shared among few
  // coefficients, and the scale can ask for bins so fine (or, overflowing,
  // infinitely fine) that the coefficients no longer fit in 16 bits. The
  // scale is then lowered to the finest one at which they all fit: the bins
  // come out coarser than the bitrate would allow, never finer, and every
  // coefficient keeps its value instead of being clipped to the 16-bit limit.
  if (!significant_list.empty()) {
    const float limit = sixteen_bit_scale(state, significant_list, subbands, fdata, width, pool);
    if (!(q <= limit)) q = limit;
  }
  for (int k : significant_list) {
    state.bin_width[k] = state.bin_width[k] / q;
    state.zero_bin_width[k] = static_cast<float>(1.2 * static_cast<double>(state.bin_width[k]));
  }

  // The coded subbands one after another; each starts where the previous
  // one ends, so the subbands can be quantized on any thread.
  std::array<int32_t, kCodedSubbandCount> start{};
  count = 0;
  for (int k = 0; k < kCodedSubbandCount; ++k) {
    start[k] = count;
    if (state.bin_width[k] == 0.0f) {
      diag_printf("%d -> %3.6f\n", k, static_cast<double>(state.bin_width[k]));
      continue;
    }
    count += subbands[k].lx * subbands[k].ly;
  }
  const auto quantize_subband = [&](int32_t k, int32_t) {
    const float bin_width = state.bin_width[k];
    if (bin_width == 0.0f) return;
    const float z = state.zero_bin_width[k] * 0.5f;
    const SubbandRect& r = subbands[k];
    int16_t* out = sip.data() + start[k];
    for (int32_t y = 0; y < r.ly; ++y, out += r.lx) {
      quantize_values(out, row_of(fdata, width, r.y + y, r.x), r.lx, z, bin_width);
    }
  };
  if (pool) {
    pool->run(kCodedSubbandCount, quantize_subband);
  } else {
    for (int k = 0; k < kCodedSubbandCount; ++k) quantize_subband(k, 0);
  }
  // Entries past the stored values are 0.
  for_each_range(pool, static_cast<int64_t>(sip.size()) - count, [&](int64_t begin, int64_t end) {
    std::fill(sip.begin() + count + begin, sip.begin() + count + end, int16_t{0});
  });
  return 0;
}

void coded_block_sizes(int32_t& size1, int32_t& size2, int32_t& size3, const QuantizerState& state,
                       const WaveletTree& tree, const SubbandTree& subbands) {
  coded_block_sizes(size1, size2, size3, state.bin_width.data(), tree, subbands);
}

void coded_block_sizes(int32_t& size1, int32_t& size2, int32_t& size3, const float* bin_widths,
                       const WaveletTree& tree, const SubbandTree& subbands) {
  size1 = tree[14].dx * tree[14].dy;
  size2 = tree[5].dy * tree[1].dx + tree[4].dx * tree[4].dy;
  size3 = tree[2].dx * tree[2].dy + tree[3].dx * tree[3].dy;
  for (int k = 0; k < kCodedSubbandCount; ++k) {
    if (bin_widths[k] != 0.0f) continue;
    const int32_t area = subbands[k].lx * subbands[k].ly;
    if (k <= 18) {
      size1 -= area;
    } else if (k <= 51) {
      size2 -= area;
    } else {
      size3 -= area;
    }
  }
}

int32_t unquantize(FloatPlane& fip, const QuantTable& table, const SubbandTree& subbands,
                   const int16_t* sip, int32_t count, int32_t width, int32_t height,
                   WorkerPool* pool) {
  try {
    fip.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : unquantize : calloc : fip\n");
    return -91;
  }
  if (table.defined != 1) {
    diag_write("ERROR: unquantize : quantization table parameters not defined!\n");
    return -92;
  }
  // Where each coded subband's coefficients start.
  std::array<int64_t, kCodedSubbandCount> start{};
  int64_t next = 0;
  for (int k = 0; k < kCodedSubbandCount; ++k) {
    start[k] = next;
    if (table.q[k] != 0.0f) next += static_cast<int64_t>(subbands[k].lx) * subbands[k].ly;
  }
  // The subbands tile the plane, so writing each of them whole writes every
  // sample: subbands that are not coded, and coefficients past those the
  // caller has, are 0.
  const float c = table.centre;
  const auto unquantize_subband = [&](int32_t k, int32_t) {
    const SubbandRect& r = subbands[k];
    const bool coded = k < kCodedSubbandCount && table.q[k] != 0.0f;
    int64_t at = coded ? start[k] : 0;
    for (int32_t y = 0; y < r.ly; ++y, at += r.lx) {
      float* row = fip.data() + static_cast<std::ptrdiff_t>(r.y + y) * width + r.x;
      const int32_t known =
          coded ? static_cast<int32_t>(std::clamp<int64_t>(count - at, 0, r.lx)) : 0;
      if (known > 0) {
        unquantize_values(row, sip + at, known, c, table.q[k], table.z[k] * 0.5f);
      }
      std::fill(row + known, row + r.lx, 0.0f);
    }
  };
  if (pool) {
    pool->run(kSubbandRectCount, unquantize_subband);
  } else {
    for (int k = 0; k < kSubbandRectCount; ++k) unquantize_subband(k, 0);
  }
  return 0;
}
