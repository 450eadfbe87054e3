#include "wsq/transform.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "wsq/diagnostics.h"
#include "wsq/transform_bands.h"
#include "wsq/transform_lines.h"

namespace {

// Lines filtered per task through the scratch area. The walk of a line is
// planned once per task, so longer bands cost less per line; the band is
// kept short enough that the scratch of all threads stays within half a
// float plane (most of the codec's memory budget is the plane itself).
constexpr int32_t kMinBandLines = 32;
constexpr int32_t kMaxBandLines = 128;

int32_t band_lines(int32_t width, int32_t height, int32_t threads) {
  const int32_t fitting = std::min(width, height) / (4 * threads);
  return std::clamp(fitting / kMinBandLines * kMinBandLines, kMinBandLines, kMaxBandLines);
}

bool nodes_fit_filters(const WaveletTree& tree, int32_t node_count) {
  for (int32_t i = 0; i < node_count; ++i) {
    if (tree[i].dx < kMinNodeSide || tree[i].dy < kMinNodeSide) return false;
  }
  return true;
}

// Per thread: a band of lines gathered in, and the band filtered out.
std::size_t scratch_size(int32_t width, int32_t height, int32_t lines) {
  return 2 * static_cast<std::size_t>(lines) * static_cast<std::size_t>(std::max(width, height));
}

using LineKernel = void (*)(float*, LineLayout, const float*, LineLayout, int32_t, int32_t,
                            const FilterPair&, int32_t);

// Samples of a row copied per step of the row <-> band copies: a few cache
// lines on each side, so both the rows and the band are walked in order.
constexpr int32_t kCopyBlock = 16;

// Copies a `rows` x `columns` block of `from` (rows `from_pitch` apart) to
// `to` transposed (rows `to_pitch` apart), 4 x 4 tiles at a time where the
// processor has SSE.
void transpose_block(float* to, std::ptrdiff_t to_pitch, const float* from,
                     std::ptrdiff_t from_pitch, int32_t rows, int32_t columns) {
  int32_t r = 0;
#if defined(__SSE2__)
  for (; r + 4 <= rows; r += 4) {
    int32_t c = 0;
    for (; c + 4 <= columns; c += 4) {
      const float* in = from + r * from_pitch + c;
      __m128 a = _mm_loadu_ps(in);
      __m128 b = _mm_loadu_ps(in + from_pitch);
      __m128 d = _mm_loadu_ps(in + 2 * from_pitch);
      __m128 e = _mm_loadu_ps(in + 3 * from_pitch);
      _MM_TRANSPOSE4_PS(a, b, d, e);
      float* out = to + c * to_pitch + r;
      _mm_storeu_ps(out, a);
      _mm_storeu_ps(out + to_pitch, b);
      _mm_storeu_ps(out + 2 * to_pitch, d);
      _mm_storeu_ps(out + 3 * to_pitch, e);
    }
    for (; c < columns; ++c) {
      for (int32_t i = 0; i < 4; ++i) to[c * to_pitch + r + i] = from[(r + i) * from_pitch + c];
    }
  }
#endif
  for (; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) to[c * to_pitch + r] = from[r * from_pitch + c];
  }
}

// rows (r, x) -> band (x, r), for `lines` rows of `length` samples.
void gather_rows(float* band, const float* rows, int32_t width, int32_t lines, int32_t length) {
  for (int32_t x0 = 0; x0 < length; x0 += kCopyBlock) {
    transpose_block(band + static_cast<std::ptrdiff_t>(x0) * lines, lines, rows + x0, width,
                    lines, std::min(kCopyBlock, length - x0));
  }
}

// band (x, r) -> rows (r, x).
void scatter_rows(float* rows, const float* band, int32_t width, int32_t lines, int32_t length) {
  for (int32_t x0 = 0; x0 < length; x0 += kCopyBlock) {
    transpose_block(rows + x0, width, band + static_cast<std::ptrdiff_t>(x0) * lines, lines,
                    std::min(kCopyBlock, length - x0), lines);
  }
}

// Filters a band of rows of a node: the rows are gathered side by side into
// the scratch area (so the kernel works on neighbouring lines, several at a
// time) and the results put back into the plane.
void filter_row_band(LineKernel kernel, float* rows, int32_t width, int32_t lines,
                     const WaveletNode& node, const FilterPair& filters, float* scratch) {
  float* gathered = scratch;
  float* filtered = scratch + static_cast<std::ptrdiff_t>(lines) * node.dx;
  gather_rows(gathered, rows, width, lines, node.dx);
  kernel(filtered, {1, lines}, gathered, {1, lines}, lines, node.dx, filters, node.ir);
  scatter_rows(rows, filtered, width, lines, node.dx);
}

// Filters a band of neighbouring columns of a node.
void filter_column_band(LineKernel kernel, float* columns, int32_t width, int32_t lines,
                        const WaveletNode& node, const FilterPair& filters, float* scratch) {
  kernel(scratch, {1, lines}, columns, {1, width}, lines, node.dy, filters, node.ic);
  for (int32_t r = 0; r < node.dy; ++r) {
    std::copy_n(scratch + static_cast<std::ptrdiff_t>(r) * lines, lines,
                columns + static_cast<std::ptrdiff_t>(r) * width);
  }
}

// The bands of a pass are independent: each reads and writes only its own
// lines, so they run on any thread in any order.
struct Pass {
  LineKernel kernel;
  float* plane;
  int32_t width;
  const FilterPair& filters;
  float* scratch;
  std::size_t scratch_per_thread;
  int32_t band;  // lines per task
  WorkerPool& pool;

  float* scratch_of(int32_t thread) const {
    return scratch + static_cast<std::ptrdiff_t>(thread) * scratch_per_thread;
  }

  void rows(const WaveletNode& node) const {
    float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
    const int32_t tasks = (node.dy + band - 1) / band;
    pool.run(tasks, [&](int32_t task, int32_t thread) {
      const int32_t first = task * band;
      filter_row_band(kernel, base + static_cast<std::ptrdiff_t>(first) * width, width,
                      std::min(band, node.dy - first), node, filters, scratch_of(thread));
    });
  }

  void columns(const WaveletNode& node) const {
    float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
    const int32_t tasks = (node.dx + band - 1) / band;
    pool.run(tasks, [&](int32_t task, int32_t thread) {
      const int32_t first = task * band;
      filter_column_band(kernel, base + first, width, std::min(band, node.dx - first), node,
                         filters, scratch_of(thread));
    });
  }
};

// Scratch for every thread of the pool; false when there is no memory.
bool make_scratch(std::vector<float>& scratch, std::size_t per_thread, const WorkerPool& pool) {
  try {
    scratch.resize(per_thread * static_cast<std::size_t>(pool.size()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

void analysis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                    int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                    int32_t lsize, int32_t invert) {
  analyse_lines(destination, {pitch, stride}, source, {pitch, stride}, lines, length,
                {hi, hsize, lo, lsize}, invert);
}

void synthesis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                     int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                     int32_t lsize, int32_t invert) {
  synthesise_lines(destination, {pitch, stride}, source, {pitch, stride}, lines, length,
                   {hi, hsize, lo, lsize}, invert);
}

int32_t wsq_decompose(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                      int32_t node_count, const float* hifilt, int32_t hisize, const float* lofilt,
                      int32_t losize, WorkerPool* pool) {
  node_count = std::clamp(node_count, 0, kWaveletNodeCount);
  if (!nodes_fit_filters(tree, node_count)) {
    diag_write("ERROR : wsq_decompose : image too small for the wavelet filters\n");
    return -98;
  }
  WorkerPool own_pool(1);
  WorkerPool& workers = pool ? *pool : own_pool;
  const int32_t band = band_lines(width, height, workers.size());
  const std::size_t per_thread = scratch_size(width, height, band);
  std::vector<float> scratch;
  if (!make_scratch(scratch, per_thread, workers)) {
    diag_write("ERROR : wsq_decompose : malloc : fdata1\n");
    return -94;
  }
  const FilterPair filters{hifilt, hisize, lofilt, losize};
  const Pass pass{analyse_bands, fdata, width, filters, scratch.data(), per_thread, band, workers};
  for (int32_t i = 0; i < node_count; ++i) {
    pass.rows(tree[i]);
    pass.columns(tree[i]);
  }
  return 0;
}

int32_t wsq_reconstruct(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                        int32_t node_count, const TransformTable& table, WorkerPool* pool) {
  if (table.lo_defined != 1) {
    diag_write("ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n");
    return -95;
  }
  if (table.hi_defined != 1) {
    diag_write("ERROR: wsq_reconstruct : Hipass filter coefficients not defined\n");
    return -96;
  }
  node_count = std::clamp(node_count, 0, kWaveletNodeCount);
  const bool filters_sound = table.losize >= 1 && table.hisize >= 1 &&
                             table.lofilt.size() >= table.losize &&
                             table.hifilt.size() >= table.hisize;
  if (!filters_sound || !nodes_fit_filters(tree, node_count)) {
    diag_write("ERROR : wsq_reconstruct : image too small for the wavelet filters\n");
    return -98;
  }
  WorkerPool own_pool(1);
  WorkerPool& workers = pool ? *pool : own_pool;
  const int32_t band = band_lines(width, height, workers.size());
  const std::size_t per_thread = scratch_size(width, height, band);
  std::vector<float> scratch;
  if (!make_scratch(scratch, per_thread, workers)) {
    diag_write("ERROR : wsq_reconstruct : malloc : fdata1\n");
    return -97;
  }
  const FilterPair filters{table.hifilt.data(), table.hisize, table.lofilt.data(), table.losize};
  const Pass pass{synthesise_bands, fdata, width, filters, scratch.data(), per_thread, band,
                  workers};
  for (int32_t i = node_count - 1; i >= 0; --i) {
    pass.columns(tree[i]);
    pass.rows(tree[i]);
  }
  return 0;
}

void image_to_floats(float* fdata, float& m_shift, float& r_scale, const uint8_t* pixels,
                     int32_t count, WorkerPool* pool) {
  int32_t maximum = 0;
  int32_t minimum = 255;
  int64_t sum = 0;
  for (int32_t i = 0; i < count; ++i) {
    maximum = std::max<int32_t>(maximum, pixels[i]);
    minimum = std::min<int32_t>(minimum, pixels[i]);
    sum += pixels[i];
  }
  m_shift = count > 0 ? static_cast<float>(static_cast<double>(sum) / count) : 0.0f;
  const float low = m_shift - static_cast<float>(minimum);
  const float high = static_cast<float>(maximum) - m_shift;
  r_scale = (low >= high ? low : high) * 0.0078125f;

  if (r_scale == 0.0f) {
    // A uniform image: every sample sits at the mean.
    std::fill_n(fdata, count, 0.0f);
    return;
  }
  const float shift = m_shift;
  const float scale = r_scale;
  for_each_range(pool, count, [=](int64_t begin, int64_t end) {
    for (int64_t i = begin; i < end; ++i) {
      fdata[i] = (static_cast<float>(pixels[i]) - shift) / scale;
    }
  });
}

void floats_to_image(uint8_t* pixels, const float* fdata, int32_t width, int32_t height,
                     float m_shift, float r_scale, WorkerPool* pool) {
  const int64_t count = static_cast<int64_t>(width) * height;
  for_each_range(pool, count, [=](int64_t begin, int64_t end) {
    for (int64_t i = begin; i < end; ++i) {
      float v = fdata[i] * r_scale + m_shift;
      v = v + 0.5f;
      // Written without branches so that the loop runs in vectors: below
      // zero (or not a number) gives 0, above 255 gives 255.
      v = v >= 0.0f ? v : 0.0f;
      v = v > 255.0f ? 255.0f : v;
      pixels[i] = static_cast<uint8_t>(static_cast<int32_t>(v));
    }
  });
}
