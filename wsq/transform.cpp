#include "wsq/transform.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <map>
#include <new>
#include <utility>
#include <vector>

#include "wsq/diagnostics.h"
#include "wsq/float_plane.h"
#include "wsq/sample_kernels.h"
#include "wsq/transform_bands.h"
#include "wsq/transform_lines.h"

namespace {

// Lines filtered per task. A band of columns is filtered down the whole
// height of the plane, through scratch as large as the band. Where the
// bands of up to kNarrowBandLines columns fit the processor's nearer
// caches, they stay that narrow and are filtered there; on taller planes
// every band streams from memory whatever its width, and wide bands do it
// faster, in longer runs of each row (a 4000 x 4000 decode took 75 ms with
// bands of 512 columns against 95 ms with 128, while 1600 x 1500 took 8.1
// ms with 128 against 8.5 with 512). The band is also kept short enough
// that the scratch of all threads stays within half a float plane (most of
// the codec's memory budget is the plane itself).
constexpr int32_t kMinBandLines = 32;
constexpr int32_t kNarrowBandLines = 128;
constexpr int32_t kWideBandLines = 512;
constexpr int64_t kCachedBandBytes = int64_t{1} << 20;

int32_t band_lines(int32_t width, int32_t height, int32_t threads) {
  const int32_t fitting = std::min(width, height) / (4 * threads);
  const bool cached = int64_t{kNarrowBandLines} * height * sizeof(float) <= kCachedBandBytes;
  const int32_t most = cached ? kNarrowBandLines : kWideBandLines;
  return std::clamp(fitting / kMinBandLines * kMinBandLines, kMinBandLines, most);
}

bool nodes_fit_filters(const WaveletTree& tree, int32_t node_count) {
  for (int32_t i = 0; i < node_count; ++i) {
    if (tree[i].dx < kMinNodeSide || tree[i].dy < kMinNodeSide) return false;
  }
  return true;
}

// Rows the last pass of a reconstruction filters at once before turning
// them into pixels.
constexpr int32_t kPixelRows = 32;

// A row's scratch, rounded up to whole cache lines so that what follows it
// starts on one.
std::size_t row_scratch_floats(int32_t width) {
  const std::size_t line = RowLayout::kAlignment;
  return (row_scratch_size(width) + line - 1) / line * line;
}

// Per thread, for a whole-plane pass that converts pixels: a row's scratch
// and kPixelRows rows after it.
std::size_t pixel_rows_scratch(int32_t width) {
  return row_scratch_floats(width) + static_cast<std::size_t>(kPixelRows) * width;
}

// Whether a node is the whole plane.
bool whole_plane(const WaveletNode& node, int32_t width, int32_t height) {
  return node.x == 0 && node.y == 0 && node.dx == width && node.dy == height;
}

// fdata = (pixel - m_shift) / r_scale for `count` pixels; a uniform image
// (r_scale 0) gives a plane of zeros, every sample at the mean.
void pixels_to_plane(float* fdata, const PixelInput& input, int64_t count, WorkerPool* pool) {
  if (input.r_scale == 0.0f) {
    std::fill_n(fdata, count, 0.0f);
    return;
  }
  const PixelInput in = input;
  for_each_range(pool, count, [=](int64_t begin, int64_t end) {
    bytes_to_floats(fdata + begin, in.pixels + begin, end - begin, in.m_shift, in.r_scale);
  });
}

// Per thread: a band of columns filtered out, or one row and its halves.
std::size_t scratch_size(int32_t width, int32_t height, int32_t lines) {
  return std::max(static_cast<std::size_t>(lines) * static_cast<std::size_t>(height),
                  row_scratch_size(width));
}

using PlanMaker = LinePlan (*)(int32_t length, const FilterPair& filters, int32_t invert,
                               PlanUse use);

// A line's plan, and the outputs a column pass writes straight back into
// the plane.
struct PassPlan {
  LinePlan plan;
  OutputRange in_place;
  bool columns = false;  // some node's columns use it
  bool rows = false;     // some node's rows use it
};

// The plans of the lines of every node, by length and inversion flag: nodes
// of the same size share them. They are made before the passes, shared among
// the threads of `pool`. False when there is no memory for them.
using LinePlans = std::map<std::pair<int32_t, int32_t>, PassPlan>;

bool make_plans(LinePlans& plans, const WaveletTree& tree, int32_t node_count, PlanMaker make_plan,
                const FilterPair& filters, WorkerPool& pool) {
  std::vector<LinePlans::iterator> slots;
  try {
    for (int32_t i = 0; i < node_count; ++i) {
      plans.try_emplace({tree[i].dx, tree[i].ir}).first->second.rows = true;
      plans.try_emplace({tree[i].dy, tree[i].ic}).first->second.columns = true;
    }
    for (auto at = plans.begin(); at != plans.end(); ++at) slots.push_back(at);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Each task fills its own entry; the map itself is not changed.
  std::atomic<bool> failed{false};
  pool.run(static_cast<int32_t>(slots.size()), [&](int32_t task, int32_t) {
    auto& [key, made] = *slots[task];
    try {
      const PlanUse use = made.rows ? PlanUse::kRowsAndColumns : PlanUse::kColumns;
      made.plan = make_plan(key.first, filters, key.second, use);
      if (made.columns) made.in_place = in_place_outputs(made.plan);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
  });
  return !failed;
}

// The bands of a pass are independent: each reads and writes only its own
// lines, so they run on any thread in any order, all with the plan of the
// node's lines.
struct Pass {
  const LinePlans& plans;
  float* plane;
  int32_t width;
  float* scratch;
  std::size_t scratch_per_thread;
  int32_t band;  // lines per task
  WorkerPool& pool;

  const PassPlan& plan_for(int32_t length, int32_t invert) const {
    return plans.at({length, invert});
  }

  float* scratch_of(int32_t thread) const {
    return scratch + static_cast<std::ptrdiff_t>(thread) * scratch_per_thread;
  }

  void rows(const WaveletNode& node) const {
    float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
    const LinePlan& plan = plan_for(node.dx, node.ir).plan;
    const int32_t tasks = (node.dy + band - 1) / band;
    pool.run(tasks, [&](int32_t task, int32_t thread) {
      float* rows = base + static_cast<std::ptrdiff_t>(task) * band * width;
      apply_line_plan_to_rows(rows, width, rows, width, std::min(band, node.dy - task * band), plan,
                              scratch_of(thread));
    });
  }

  // The rows of `node`, the whole plane, kPixelRows at a time: `chunk(at,
  // rows, plan, row_scratch, buffer)` for those from plane offset `at`,
  // with the thread's scratch for a row and room for kPixelRows rows after
  // it, in cache.
  template <class Chunk>
  void rows_in_chunks(const WaveletNode& node, const Chunk& chunk) const {
    const LinePlan& plan = plan_for(node.dx, node.ir).plan;
    const int32_t tasks = (node.dy + band - 1) / band;
    pool.run(tasks, [&](int32_t task, int32_t thread) {
      float* row_scratch = scratch_of(thread);
      float* buffer = row_scratch + row_scratch_floats(width);
      const int32_t end = std::min(node.dy, (task + 1) * band);
      for (int32_t y = task * band; y < end; y += kPixelRows) {
        chunk(static_cast<std::ptrdiff_t>(y) * width, std::min(kPixelRows, end - y), plan,
              row_scratch, buffer);
      }
    });
  }

  // The first pass over the rows of the whole plane, made from `input`'s
  // pixels on the way.
  void rows_from_pixels(const WaveletNode& node, const PixelInput& input) const {
    rows_in_chunks(node, [&](std::ptrdiff_t at, int32_t rows, const LinePlan& plan,
                             float* row_scratch, float* samples) {
      bytes_to_floats(samples, input.pixels + at, static_cast<int64_t>(rows) * width, input.m_shift,
                      input.r_scale);
      apply_line_plan_to_rows(plane + at, width, samples, width, rows, plan, row_scratch);
    });
  }

  // The last pass over the rows of the whole plane, turned into pixels on
  // the way instead of written back.
  void rows_to_pixels(const WaveletNode& node, const PixelOutput& output, uint8_t* pixels) const {
    rows_in_chunks(node, [&](std::ptrdiff_t at, int32_t rows, const LinePlan& plan,
                             float* row_scratch, float* filtered) {
      apply_line_plan_to_rows(filtered, width, plane + at, width, rows, plan, row_scratch);
      floats_to_bytes(pixels + at, filtered, static_cast<int64_t>(rows) * width, output.r_scale,
                      output.m_shift);
    });
  }

  void columns(const WaveletNode& node) const {
    float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
    const PassPlan& plan = plan_for(node.dy, node.ic);
    const int32_t tasks = (node.dx + band - 1) / band;
    pool.run(tasks, [&](int32_t task, int32_t thread) {
      const int32_t first = task * band;
      apply_line_plan_to_columns(base + first, width, std::min(band, node.dx - first), plan.plan,
                                 plan.in_place, scratch_of(thread));
    });
  }
};

// Scratch for every thread of the pool, left unset: each kernel reads only
// scratch it has written. False when there is no memory.
bool make_scratch(FloatPlane& scratch, std::size_t per_thread, const WorkerPool& pool) {
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
                      int32_t losize, WorkerPool* pool, const PixelInput* input) {
  node_count = std::clamp(node_count, 0, kWaveletNodeCount);
  if (!nodes_fit_filters(tree, node_count)) {
    diag_write("ERROR : wsq_decompose : image too small for the wavelet filters\n");
    return -98;
  }
  WorkerPool own_pool(1);
  WorkerPool& workers = pool ? *pool : own_pool;
  // A uniform image is a plane of zeros, made at once; other pixels are
  // turned into samples by the first pass over the rows of the whole plane.
  if (input &&
      (input->r_scale == 0.0f || node_count == 0 || !whole_plane(tree[0], width, height))) {
    pixels_to_plane(fdata, *input, static_cast<int64_t>(width) * height, pool);
    input = nullptr;
  }
  const int32_t band = band_lines(width, height, workers.size());
  std::size_t per_thread = scratch_size(width, height, band);
  if (input) per_thread = std::max(per_thread, pixel_rows_scratch(width));
  FloatPlane scratch;
  if (!make_scratch(scratch, per_thread, workers)) {
    diag_write("ERROR : wsq_decompose : malloc : fdata1\n");
    return -94;
  }
  const FilterPair filters{hifilt, hisize, lofilt, losize};
  LinePlans plans;
  if (!make_plans(plans, tree, node_count, analysis_plan, filters, workers)) {
    diag_write("ERROR : wsq_decompose : malloc : line plans\n");
    return -94;
  }
  const Pass pass{plans, fdata, width, scratch.data(), per_thread, band, workers};
  for (int32_t i = 0; i < node_count; ++i) {
    if (i == 0 && input) {
      pass.rows_from_pixels(tree[0], *input);
    } else {
      pass.rows(tree[i]);
    }
    pass.columns(tree[i]);
  }
  return 0;
}

int32_t wsq_reconstruct(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                        int32_t node_count, const TransformTable& table, WorkerPool* pool,
                        const PixelOutput* output) {
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
  FloatPlane scratch;
  if (!make_scratch(scratch, per_thread, workers)) {
    diag_write("ERROR : wsq_reconstruct : malloc : fdata1\n");
    return -97;
  }
  const FilterPair filters{table.hifilt.data(), table.hisize, table.lofilt.data(), table.losize};
  LinePlans plans;
  if (!make_plans(plans, tree, node_count, synthesis_plan, filters, workers)) {
    diag_write("ERROR : wsq_reconstruct : malloc : line plans\n");
    return -97;
  }
  const Pass pass{plans, fdata, width, scratch.data(), per_thread, band, workers};
  // With pixels wanted, the rows of the whole plane go last, straight into
  // them.
  const bool to_pixels = output && node_count > 0 && whole_plane(tree[0], width, height);
  for (int32_t i = node_count - 1; i >= 0; --i) {
    pass.columns(tree[i]);
    if (i > 0 || !to_pixels) pass.rows(tree[i]);
  }
  if (!output) return 0;
  scratch = FloatPlane();  // the column passes are done: the pixels take its room
  uint8_t* pixels = output->pixels();
  if (!pixels) return -97;
  if (!to_pixels) {
    floats_to_image(pixels, fdata, width, height, output->m_shift, output->r_scale, pool);
    return 0;
  }
  const std::size_t row_floats = pixel_rows_scratch(width);
  if (!make_scratch(scratch, row_floats, workers)) {
    diag_write("ERROR : wsq_reconstruct : malloc : fdata1\n");
    return -97;
  }
  const Pass last{plans, fdata, width, scratch.data(), row_floats, band, workers};
  last.rows_to_pixels(tree[0], *output, pixels);
  return 0;
}

PixelInput pixel_input(const uint8_t* pixels, int32_t count) {
  const PixelStats stats = pixel_stats(pixels, count);
  const float m_shift =
      count > 0 ? static_cast<float>(static_cast<double>(stats.sum) / count) : 0.0f;
  const float low = m_shift - static_cast<float>(stats.minimum);
  const float high = static_cast<float>(stats.maximum) - m_shift;
  return {pixels, m_shift, (low >= high ? low : high) * 0.0078125f};
}

void image_to_floats(float* fdata, float& m_shift, float& r_scale, const uint8_t* pixels,
                     int32_t count, WorkerPool* pool) {
  const PixelInput input = pixel_input(pixels, count);
  m_shift = input.m_shift;
  r_scale = input.r_scale;
  pixels_to_plane(fdata, input, count, pool);
}

void floats_to_image(uint8_t* pixels, const float* fdata, int32_t width, int32_t height,
                     float m_shift, float r_scale, WorkerPool* pool) {
  const int64_t count = static_cast<int64_t>(width) * height;
  for_each_range(pool, count, [=](int64_t begin, int64_t end) {
    floats_to_bytes(pixels + begin, fdata + begin, end - begin, r_scale, m_shift);
  });
}
