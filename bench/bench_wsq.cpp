// Speed of the WSQ codec stages on synthetic prints, in megapixels per
// second, and the encoder's peak heap use in bytes per pixel.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/codestream.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"
#include "wsq/float_plane.h"
#include "wsq/transform.h"
#include "wsq/trees.h"

// Heap accounting for the whole program: every allocation carries its size
// in a header so the live total and its peak can be followed.
namespace {
std::atomic<size_t> live_bytes{0};
std::atomic<size_t> peak_bytes{0};
constexpr size_t kHeader = alignof(std::max_align_t);

void note_allocated(size_t size) {
  const size_t now = live_bytes += size;
  size_t peak = peak_bytes.load();
  while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
  }
}

void* counted_alloc(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  note_allocated(size);
  return static_cast<char*>(block) + kHeader;
}

// Aligned blocks keep their header a whole alignment before the block.
void* counted_aligned_alloc(size_t size, std::align_val_t align) {
  const size_t a = static_cast<size_t>(align);
  void* block = std::aligned_alloc(a, (size + a + a - 1) / a * a);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  note_allocated(size);
  return static_cast<char*>(block) + a;
}

void counted_aligned_free(void* p, std::align_val_t align) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - static_cast<size_t>(align);
  live_bytes -= *static_cast<size_t*>(block);
  std::free(block);
}

void counted_free(void* p) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  live_bytes -= *static_cast<size_t*>(block);
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return counted_alloc(size); }
void* operator new[](size_t size) { return counted_alloc(size); }
void operator delete(void* p) noexcept { counted_free(p); }
void operator delete[](void* p) noexcept { counted_free(p); }
void operator delete(void* p, size_t) noexcept { counted_free(p); }
void operator delete[](void* p, size_t) noexcept { counted_free(p); }
void* operator new(size_t size, std::align_val_t a) { return counted_aligned_alloc(size, a); }
void operator delete(void* p, std::align_val_t a) noexcept { counted_aligned_free(p, a); }
void operator delete(void* p, size_t, std::align_val_t a) noexcept { counted_aligned_free(p, a); }

namespace {

// The synthesis filters a decoder reads from the encoder's transform table.
TransformTable decoder_filters() {
  std::vector<uint8_t> segment(64);
  int32_t length = 0;
  putc_transform_table(encoder_lofilt, kEncoderLoSize, encoder_hifilt, kEncoderHiSize,
                       segment.data(), static_cast<int32_t>(segment.size()), length);
  TransformTable table;
  const uint8_t* cursor = segment.data() + 2;  // past the marker
  getc_transform_table(table, cursor, segment.data() + length);
  return table;
}

// Planes as the codec allocates them, so that their alignment is the codec's.
FloatPlane print_plane(int32_t width, int32_t height) {
  const std::vector<uint8_t> pixels = make_synthetic_print(width, height, 1);
  FloatPlane plane(pixels.size());
  float m_shift = 0.0f;
  float r_scale = 0.0f;
  image_to_floats(plane.data(), m_shift, r_scale, pixels.data(),
                  static_cast<int32_t>(pixels.size()));
  return plane;
}

void set_rate(benchmark::State& state, int32_t width, int32_t height) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Decompose(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  WsqTrees trees;
  build_wsq_trees(trees, width, height);
  const FloatPlane original = print_plane(width, height);
  FloatPlane plane;
  for (auto _ : state) {
    state.PauseTiming();
    plane = original;
    state.ResumeTiming();
    wsq_decompose(plane.data(), width, height, trees.wavelet_tree, kWaveletNodeCount,
                  encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize);
    benchmark::DoNotOptimize(plane.data());
  }
  set_rate(state, width, height);
}

void BM_Reconstruct(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  WsqTrees trees;
  build_wsq_trees(trees, width, height);
  FloatPlane original = print_plane(width, height);
  wsq_decompose(original.data(), width, height, trees.wavelet_tree, kWaveletNodeCount,
                encoder_hifilt, kEncoderHiSize, encoder_lofilt, kEncoderLoSize);
  const TransformTable table = decoder_filters();
  FloatPlane plane;
  for (auto _ : state) {
    state.PauseTiming();
    plane = original;
    state.ResumeTiming();
    wsq_reconstruct(plane.data(), width, height, trees.wavelet_tree, kWaveletNodeCount, table);
    benchmark::DoNotOptimize(plane.data());
  }
  set_rate(state, width, height);
}

void BM_Encode(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  const std::vector<uint8_t> pixels = make_synthetic_print(width, height, 1);
  ScopedDiagnostics quiet([](std::string_view) {});
  WsqEncoder encoder;
  encoder.threads = static_cast<int32_t>(state.range(2));
  size_t peak_above_start = 0;
  size_t codestream_bytes = 0;
  for (auto _ : state) {
    std::vector<uint8_t> codestream;
    const size_t start = live_bytes.load();
    peak_bytes = start;
    wsq_encode_1(encoder, codestream, 0.75f, pixels.data(), width, height, 8, 500, nullptr);
    peak_above_start = peak_bytes.load() - start;
    codestream_bytes = codestream.size();
    benchmark::DoNotOptimize(codestream.data());
  }
  set_rate(state, width, height);
  const double pixel_count = static_cast<double>(width) * height;
  state.counters["peak_bytes_per_pixel"] = static_cast<double>(peak_above_start) / pixel_count;
  state.counters["bits_per_pixel"] = 8.0 * static_cast<double>(codestream_bytes) / pixel_count;
}

void BM_Decode(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  const std::vector<uint8_t> pixels = make_synthetic_print(width, height, 1);
  ScopedDiagnostics quiet([](std::string_view) {});
  std::vector<uint8_t> codestream;
  wsq_encode_1(codestream, 0.75f, pixels.data(), width, height, 8, 500, nullptr);
  WsqDecoder decoder;
  decoder.threads = static_cast<int32_t>(state.range(2));
  size_t peak_above_start = 0;
  for (auto _ : state) {
    std::vector<uint8_t> decoded;
    int32_t w = 0, h = 0, depth = 0, ppi = 0, lossy = 0;
    const size_t start = live_bytes.load();
    peak_bytes = start;
    wsq_decode_mem(decoder, decoded, w, h, depth, ppi, lossy, codestream.data(),
                   static_cast<int32_t>(codestream.size()));
    peak_above_start = peak_bytes.load() - start;
    benchmark::DoNotOptimize(decoded.data());
  }
  set_rate(state, width, height);
  // The decoded pixels are counted (they are the result); the codestream,
  // made before, is not.
  state.counters["peak_bytes_per_pixel"] =
      static_cast<double>(peak_above_start) / (static_cast<double>(width) * height);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({800, 750})->Args({1600, 1500})->Unit(benchmark::kMillisecond);
}

// Sizes and thread counts (the third argument) of the whole codec.
void sizes_and_threads(benchmark::internal::Benchmark* b) {
  b->Args({800, 750, 1})->Args({1600, 1500, 1})->Args({4000, 4000, 1})->Args({4000, 4000, 2});
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(BM_Decompose)->Apply(sizes);
BENCHMARK(BM_Reconstruct)->Apply(sizes);
BENCHMARK(BM_Encode)->Apply(sizes_and_threads);
BENCHMARK(BM_Decode)->Apply(sizes_and_threads);

BENCHMARK_MAIN();
